// Where the frame check gets its bytes: a span in memory or a file read in large blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <span>
#include <string>
#include <vector>

namespace videocheck {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t size() const = 0;
    // The bytes from `position` on: at least min(minimum, size() - position) of them, possibly
    // more. Empty at or past the end and after a read error. Valid until the next call.
    virtual std::span<const uint8_t> view(uint64_t position, size_t minimum) = 0;
    virtual bool failed() const { return false; }
};

class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint64_t size() const override { return bytes_.size(); }
    std::span<const uint8_t> view(uint64_t position, size_t) override {
        return position < bytes_.size() ? bytes_.subspan(position) : std::span<const uint8_t>{};
    }

private:
    std::span<const uint8_t> bytes_;
};

// Keeps one window of the file in memory and moves it forward on demand, so a scan that walks
// forward reads every byte once, in blocks of kBlockSize.
class FileSource final : public ByteSource {
public:
    static constexpr size_t kBlockSize = size_t{1} << 20;

    // Opens a regular file; check opened() afterwards.
    explicit FileSource(const std::string& path);
    bool opened() const { return opened_; }
    uint64_t size() const override { return size_; }
    std::span<const uint8_t> view(uint64_t position, size_t minimum) override;
    bool failed() const override { return failed_; }

private:
    bool load(uint64_t position, size_t length);

    std::ifstream file_;
    uint64_t size_ = 0;
    bool opened_ = false;
    bool failed_ = false;
    std::vector<uint8_t> window_;
    uint64_t windowStart_ = 0;
    size_t windowLength_ = 0;
};

}  // namespace videocheck
