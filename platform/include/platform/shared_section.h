// Shared-memory sections: a file in the runtime directory mapped by both processes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/runtime_dir.h"

namespace platform {

// A mapped section. The creator's section is removed from the directory when it is destroyed;
// a process that opened it keeps its mapping until it destroys its own object.
class SharedSection {
public:
    SharedSection() = default;
    SharedSection(SharedSection&& other) noexcept;
    SharedSection& operator=(SharedSection&& other) noexcept;
    SharedSection(const SharedSection&) = delete;
    SharedSection& operator=(const SharedSection&) = delete;
    ~SharedSection();

    // Creates a fresh, zero-filled section of `size` bytes at `path` (a stale file there is replaced).
    static SharedSection create(const std::string& path, size_t size, const AccessRule& rule);
    // Maps the existing section at `path`; invalid unless it is exactly `size` bytes.
    static SharedSection open(const std::string& path, size_t size);

    bool valid() const { return view_ != nullptr; }
    uint8_t* data() const { return view_; }
    size_t size() const { return size_; }

private:
    void release();

    uint8_t* view_ = nullptr;
    size_t size_ = 0;
    std::string ownedPath_;  // set for the creator only
};

}  // namespace platform
