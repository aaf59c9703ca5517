#include "trans_index.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <fstream>

#include "nvr/byte_reader.h"
#include "platform/debug.h"
#include "platform/volume_drive.h"

namespace quarnel {
namespace {

// Stream bytes 68 to 71 carry the payload length (the table's offset) instead of stored bytes.
constexpr uint64_t kLengthFieldOffset = 68;
constexpr uint64_t kLengthFieldSize = 4;
constexpr uint64_t kLargestIndexFile = 0xFFFFFFFFull;

// The whole index file; empty with a debugger line when it is missing, too large or too short.
std::vector<uint8_t> readIndexFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    const std::streamoff size = file ? static_cast<std::streamoff>(file.tellg()) : 0;
    if (static_cast<uint64_t>(std::max<std::streamoff>(size, 0)) >= kLargestIndexFile) {
        platform::debugOut("# test # ReadIndex1111\n");
        return {};
    }
    if (size < static_cast<std::streamoff>(kIndexHeaderSize)) {
        platform::debugOut("# test # ReadIndex2222\n");
        return {};
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(bytes.data()), size)) return {};
    return bytes;
}

}  // namespace

TransIndex::TransIndex(DriveOpener opener) : device_(std::move(opener)) {}

bool TransIndex::openDevice(int driveNumber) {
    if (platform::drivePath(driveNumber).empty() || device_.isOpen()) return false;
    return device_.openShared(driveNumber) && device_.readBootRecord() && device_.findSuperBlock();
}

void TransIndex::takeIndex(ParsedIndex parsed) {
    header_ = parsed.header;
    units_ = std::move(parsed.units);
    payloadLength_ = parsed.payloadLength;
    table_ = buildIndxTable(parsed.entries);
    position_ = 0;
}

bool TransIndex::openBuffer(int driveNumber, std::span<const uint8_t> indexData) {
    if (indexData.data() == nullptr) {
        platform::debugOut("# test # ReadIndex4444\n");
        return false;
    }
    if (indexData.size() < kIndexHeaderSize) {
        platform::debugOut("# test # ReadIndex5555\n");
        return false;
    }
    if (!openDevice(driveNumber)) return false;
    takeIndex(parseIndex(indexData));
    return true;
}

bool TransIndex::openPath(const std::string& path) {
    if (path.empty() || path.size() >= kMaximumPath) return false;
    const int driveNumber = platform::driveOfVolumePath(path);
    if (driveNumber < 0 || platform::drivePath(driveNumber).size() >= kMaximumPath) return false;
    // The volume's drive must carry a valid boot record before it is opened for the recording.
    if (!device_.openShared(driveNumber) || !device_.readBootRecord()) return false;
    device_.close();  // the area's place stays known
    if (!device_.openExclusiveOfWriters(driveNumber) || !device_.findSuperBlock()) return false;
    const std::vector<uint8_t> bytes = readIndexFile(path);
    if (bytes.empty()) return false;
    takeIndex(parseIndex(bytes));
    return true;
}

int64_t TransIndex::seek(int64_t offset, int32_t origin) {
    int64_t base = 0;
    if (origin == 1) base = static_cast<int64_t>(position_);
    else if (origin == 2) base = static_cast<int64_t>(streamLength());
    else if (origin != 0) return -1;
    const int64_t target = base + offset;
    if (target < 0 || static_cast<uint64_t>(target) > streamLength()) return -1;
    position_ = static_cast<uint64_t>(target);
    return target;
}

int32_t TransIndex::read(uint8_t* buffer, uint64_t count) {
    const uint64_t length = streamLength();
    if (position_ == length) return 0;
    if (position_ > length) return -1;
    count = std::min<uint64_t>({count, length - position_, INT32_MAX});
    const uint64_t payloadPart = position_ < payloadLength_ ? std::min(count, payloadLength_ - position_) : 0;
    const uint64_t delivered = readPayload(buffer, payloadPart);
    if (delivered < payloadPart) return static_cast<int32_t>(delivered);
    const uint64_t tablePart = count - payloadPart;
    if (tablePart > 0) {
        std::memcpy(buffer + delivered, table_.data() + (position_ - payloadLength_), tablePart);
        position_ += tablePart;
    }
    return static_cast<int32_t>(count);
}

// Unit-aligned reads of more than one unit go straight into the caller's buffer, one device
// request per run of units that lie back to back, all runs in one batch; everything else goes
// through the unit cache.
uint64_t TransIndex::readPayload(uint8_t* buffer, uint64_t count) {
    uint64_t delivered = 0;
    while (delivered < count) {
        const uint64_t remaining = count - delivered;
        const bool direct = position_ % kUnitSize == 0 && remaining > kUnitSize;
        const uint64_t step = direct ? readRuns(buffer + delivered, remaining) : readCached(buffer + delivered, remaining);
        if (step == 0) break;
        patchPayloadLength(buffer + delivered, position_, step);
        position_ += step;
        delivered += step;
    }
    flushPendingUnit();
    return delivered;
}

uint64_t TransIndex::readCached(uint8_t* out, uint64_t wanted) {
    flushPendingUnit();  // a unit just read straight into the buffer may be the one wanted
    const uint64_t inUnit = position_ % kUnitSize;
    const uint8_t* unit = device_.unitThroughCache(units_[position_ / kUnitSize]);
    if (unit == nullptr) return 0;
    const uint64_t step = std::min<uint64_t>(wanted, kUnitSize - inUnit);
    std::memcpy(out, unit + inUnit, step);
    return step;
}

// The whole units wanted go to the drive as one batch, one device request per run of units that
// lie back to back. The last unit delivered becomes the cached unit when the call ends, so a long
// read copies one unit into the cache instead of one per device request. The unit holding the
// length field is kept at once, before the field is patched: the cache holds units as stored.
uint64_t TransIndex::readRuns(uint8_t* out, uint64_t wanted) {
    const size_t logicalUnit = static_cast<size_t>(position_ / kUnitSize);
    std::vector<UnitRun> runs = planRuns(logicalUnit, wanted / kUnitSize);
    // The stream's first run goes alone: its first unit holds the length field and enters the
    // cache as stored at once, so an index that names that unit again is served from the cache.
    if (logicalUnit == 0 && runs.size() > 1) runs.resize(1);
    const size_t whole = device_.readUnitRuns(runs, out);
    uint64_t units = 0;
    for (size_t index = 0; index < whole; ++index) units += runs[index].count;
    if (units == 0) return 0;
    const uint64_t step = units * kUnitSize;
    pendingUnit_ = runs[whole - 1].unit + runs[whole - 1].count - 1;
    pendingBytes_ = out + (step - kUnitSize);
    if (position_ + step - kUnitSize < kLengthFieldOffset + kLengthFieldSize) flushPendingUnit();
    return step;
}

void TransIndex::flushPendingUnit() {
    if (pendingBytes_ != nullptr) device_.keepInCache(pendingUnit_, pendingBytes_);
    pendingBytes_ = nullptr;
}

// The runs of units that lie back to back on the disk, for `unitCount` units of the stream from
// `logicalUnit` on (fewer where the unit list ends).
std::vector<UnitRun> TransIndex::planRuns(size_t logicalUnit, uint64_t unitCount) const {
    std::vector<UnitRun> runs;
    const size_t end = static_cast<size_t>(std::min<uint64_t>(units_.size(), logicalUnit + unitCount));
    for (size_t at = logicalUnit; at < end;) {
        UnitRun run{units_[at], 1};
        while (at + run.count < end && uint64_t{units_[at + run.count]} == uint64_t{units_[at + run.count - 1]} + 1)
            ++run.count;
        runs.push_back(run);
        at += run.count;
    }
    return runs;
}

void TransIndex::patchPayloadLength(uint8_t* delivered, uint64_t streamOffset, uint64_t count) const {
    if (payloadLength_ < kLengthFieldOffset + kLengthFieldSize) return;  // too short to hold the field
    std::array<uint8_t, kLengthFieldSize> field{};
    nvr::ByteWriter(field.data(), field.size()).u32le(0, static_cast<uint32_t>(payloadLength_));
    for (uint64_t index = 0; index < kLengthFieldSize; ++index) {
        const uint64_t at = kLengthFieldOffset + index;
        if (at >= streamOffset && at < streamOffset + count) delivered[at - streamOffset] = field[index];
    }
}

}  // namespace quarnel
