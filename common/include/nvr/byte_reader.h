// Bounds-checked little-endian reading and writing of on-disk and wire bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>

namespace nvr {

// Reads fixed-offset fields from a byte span. A read outside the span yields 0 and sets a sticky
// flag, so a decoder can read every field and check `ok()` once at the end.
class ByteReader {
public:
    explicit ByteReader(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    ByteReader(const void* data, size_t size) : bytes_(static_cast<const uint8_t*>(data), size) {}

    uint8_t u8(size_t offset) { return fits(offset, 1) ? bytes_[offset] : 0; }
    uint16_t u16le(size_t offset) {
        if (!fits(offset, 2)) return 0;
        return static_cast<uint16_t>(bytes_[offset] | (bytes_[offset + 1] << 8));
    }
    uint32_t u32le(size_t offset) {
        if (!fits(offset, 4)) return 0;
        return static_cast<uint32_t>(u16le(offset)) | (static_cast<uint32_t>(u16le(offset + 2)) << 16);
    }
    uint64_t u64le(size_t offset) {
        if (!fits(offset, 8)) return 0;
        return static_cast<uint64_t>(u32le(offset)) | (static_cast<uint64_t>(u32le(offset + 4)) << 32);
    }
    int32_t i32le(size_t offset) { return static_cast<int32_t>(u32le(offset)); }
    // Copies `count` bytes at `offset`; zero-fills and flags when they are not all inside.
    void copy(size_t offset, void* out, size_t count) {
        if (!fits(offset, count)) {
            std::memset(out, 0, count);
            return;
        }
        std::memcpy(out, bytes_.data() + offset, count);
    }
    // A text of at most `maxLength` bytes at `offset`, cut at the first NUL.
    std::string text(size_t offset, size_t maxLength) {
        if (!fits(offset, 0)) return {};
        size_t end = offset;
        while (end < bytes_.size() && end - offset < maxLength && bytes_[end] != 0) ++end;
        return std::string(reinterpret_cast<const char*>(bytes_.data() + offset), end - offset);
    }

    bool ok() const { return ok_; }
    size_t size() const { return bytes_.size(); }

private:
    bool fits(size_t offset, size_t count) {
        if (offset > bytes_.size() || count > bytes_.size() - offset) {
            ok_ = false;
            return false;
        }
        return true;
    }

    std::span<const uint8_t> bytes_;
    bool ok_ = true;
};

// Writes fixed-offset little-endian fields into a byte span; writes outside it are dropped and flagged.
class ByteWriter {
public:
    explicit ByteWriter(std::span<uint8_t> bytes) : bytes_(bytes) {}
    ByteWriter(void* data, size_t size) : bytes_(static_cast<uint8_t*>(data), size) {}

    void u8(size_t offset, uint8_t value) {
        if (fits(offset, 1)) bytes_[offset] = value;
    }
    void u16le(size_t offset, uint16_t value) {
        if (!fits(offset, 2)) return;
        bytes_[offset] = static_cast<uint8_t>(value);
        bytes_[offset + 1] = static_cast<uint8_t>(value >> 8);
    }
    void u32le(size_t offset, uint32_t value) {
        if (!fits(offset, 4)) return;
        for (int i = 0; i < 4; ++i) bytes_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
    void u64le(size_t offset, uint64_t value) {
        if (!fits(offset, 8)) return;
        for (int i = 0; i < 8; ++i) bytes_[offset + i] = static_cast<uint8_t>(value >> (8 * i));
    }
    void copy(size_t offset, const void* data, size_t count) {
        if (fits(offset, count) && count > 0) std::memcpy(bytes_.data() + offset, data, count);
    }

    bool ok() const { return ok_; }

private:
    bool fits(size_t offset, size_t count) {
        if (offset > bytes_.size() || count > bytes_.size() - offset) {
            ok_ = false;
            return false;
        }
        return true;
    }

    std::span<uint8_t> bytes_;
    bool ok_ = true;
};

}  // namespace nvr
