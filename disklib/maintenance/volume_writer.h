// Block-addressed reads and writes inside one volume of a drive opened for writing.
#pragma once

#include <cstdint>
#include <span>

#include "platform/drive.h"
#include "tqhd_types.h"

namespace drelmo {

class VolumeWriter {
public:
    VolumeWriter(platform::Drive& drive, uint64_t start, uint32_t blockSize)
        : drive_(drive), start_(start), blockSize_(blockSize) {}

    uint32_t blockSize() const { return blockSize_; }
    platform::Drive& drive() const { return drive_; }
    uint64_t start() const { return start_; }
    // TQHD_OK, or TQHD_E_WRITE when the drive stores fewer bytes.
    int32_t writeAt(uint64_t offset, std::span<const uint8_t> bytes) const {
        const int64_t written = drive_.writeAt(start_ + offset, bytes.data(), bytes.size());
        return written == static_cast<int64_t>(bytes.size()) ? TQHD_OK : TQHD_E_WRITE;
    }
    int32_t writeBlocks(uint64_t block, std::span<const uint8_t> bytes) const {
        return writeAt(block * blockSize_, bytes);
    }
    // TQHD_OK, or TQHD_E_READ when fewer bytes arrive.
    int32_t readAt(uint64_t offset, std::span<uint8_t> bytes) const {
        const int64_t got = drive_.readAt(start_ + offset, bytes.data(), bytes.size());
        return got == static_cast<int64_t>(bytes.size()) ? TQHD_OK : TQHD_E_READ;
    }
    int32_t readBlocks(uint64_t block, std::span<uint8_t> bytes) const { return readAt(block * blockSize_, bytes); }

private:
    platform::Drive& drive_;
    uint64_t start_;
    uint32_t blockSize_;
};

}  // namespace drelmo
