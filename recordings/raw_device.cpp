#include "raw_device.h"

#include <algorithm>
#include <cstring>

#include "index_records.h"

namespace quarnel {

DriveOpener systemDriveOpener() {
    return [](int number, unsigned share) { return platform::openDrive(number, platform::Access::Read, share); };
}

RawDevice::RawDevice(DriveOpener opener) : opener_(std::move(opener)), cache_(kUnitSize), work_(kUnitSize) {}

bool RawDevice::openShared(int number) {
    drive_ = opener_(number, platform::kShareRead | platform::kShareWrite);
    if (!drive_) drive_ = opener_(number, platform::kShareRead);
    return isOpen();
}

bool RawDevice::openExclusiveOfWriters(int number) {
    drive_ = opener_(number, platform::kShareRead);
    return isOpen();
}

void RawDevice::close() {
    drive_.reset();
    cachedUnit_ = -1;
}

bool RawDevice::readBootRecord() {
    std::array<uint8_t, kBootRecordSize> sector{};
    if (!drive_ || drive_->readAt(0, sector.data(), sector.size()) != static_cast<int64_t>(sector.size())) return false;
    const auto place = decodeBootRecord(sector);
    if (!place) return false;
    place_ = *place;
    return true;
}

bool RawDevice::readSuperBlockAt(uint64_t position) {
    std::array<uint8_t, platform::kSectorSize> sector{};
    if (drive_->readAt(position, sector.data(), sector.size()) != static_cast<int64_t>(sector.size())) return false;
    std::copy_n(sector.begin(), superBlockCopy_.size(), superBlockCopy_.begin());
    superBlock_ = decodeRawSuperBlock(superBlockCopy_);
    return superBlock_.magic == kRawSuperBlockMagic;
}

bool RawDevice::findSuperBlock() {
    if (!drive_) return false;
    if (readSuperBlockAt(place_.start) || readSuperBlockAt(place_.start + kSecondSuperBlockOffset)) return true;
    const uint64_t units = place_.size / kUnitSize;
    return units > 0 && readSuperBlockAt(place_.start + (units - 1) * kUnitSize);
}

std::optional<uint64_t> RawDevice::unitPosition(uint32_t unit, uint32_t unitCount) const {
    const uint64_t first = uint64_t{superBlock_.dataStart} + unit;  // both 32-bit: no overflow in 64
    if ((first + unitCount) * kUnitSize > place_.size) return std::nullopt;
    return place_.start + first * kUnitSize;
}

const uint8_t* RawDevice::unitThroughCache(uint32_t unit) {
    if (cachedUnit_ == int64_t{unit}) return cache_.data();
    const auto position = unitPosition(unit, 1);
    if (!drive_ || !position || drive_->readAt(*position, work_.data(), kUnitSize) != int64_t{kUnitSize}) return nullptr;
    std::swap(cache_, work_);
    cachedUnit_ = unit;
    return cache_.data();
}

size_t RawDevice::readUnitRuns(std::span<const UnitRun> runs, uint8_t* destination) {
    std::vector<platform::ReadPiece> pieces;
    pieces.reserve(runs.size());
    for (const UnitRun& run : runs) {
        const auto position = unitPosition(run.unit, run.count);
        if (!position || run.count == 0) break;
        const size_t bytes = size_t{run.count} * kUnitSize;
        pieces.push_back({*position, destination, bytes});
        destination += bytes;
    }
    return drive_ && !pieces.empty() ? drive_->readPieces(pieces) : 0;
}

void RawDevice::keepInCache(uint32_t unit, const uint8_t* bytes) {
    std::memcpy(cache_.data(), bytes, kUnitSize);
    cachedUnit_ = unit;
}

}  // namespace quarnel
