// Owns a handle of the client library (disk, directory, file or recording) and closes it once.
#pragma once

#include <utility>

#include "tqhdc.h"

namespace nvrdisk {

class LibraryHandle {
public:
    LibraryHandle() = default;
    explicit LibraryHandle(TQHDC_HANDLE handle) : handle_(handle) {}
    ~LibraryHandle() {
        if (handle_ != nullptr) TQHDC_CloseHandle(handle_);
    }
    LibraryHandle(LibraryHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    LibraryHandle& operator=(LibraryHandle&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    LibraryHandle(const LibraryHandle&) = delete;
    LibraryHandle& operator=(const LibraryHandle&) = delete;

    TQHDC_HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    TQHDC_HANDLE handle_ = nullptr;
};

}  // namespace nvrdisk
