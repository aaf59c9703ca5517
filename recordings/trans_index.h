// One open recording (the object behind a handle): the drive that holds its payload, the unit
// list and "INDX" table from its index file, the stream position, and the reads and seeks of
// the recording stream.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "index_parser.h"
#include "raw_device.h"

namespace quarnel {

// Paths and drive paths are limited to 259 bytes and a terminator.
constexpr size_t kMaximumPath = 260;

class TransIndex {
public:
    explicit TransIndex(DriveOpener opener = systemDriveOpener());
    virtual ~TransIndex() = default;
    TransIndex(const TransIndex&) = delete;
    TransIndex& operator=(const TransIndex&) = delete;

    // Opens with index bytes from the caller and the drive that holds the payload. The bytes are
    // not kept.
    bool openBuffer(int driveNumber, std::span<const uint8_t> indexData);
    // Opens by the path of an index file: its volume's drive holds the payload.
    bool openPath(const std::string& path);

    // Bytes delivered into `buffer` (at most `count`, and at most 2^31 - 1); 0 at the end; -1
    // when the position lies beyond the end.
    int32_t read(uint8_t* buffer, uint64_t count);
    // The new position, or -1 when it would leave [0, stream length] or the origin is unknown.
    int64_t seek(int64_t offset, int32_t origin);
    uint64_t position() const { return position_; }
    uint64_t streamLength() const { return payloadLength_ + table_.size(); }
    uint64_t payloadLength() const { return payloadLength_; }
    const IndexFileHeader& times() const { return header_; }
    bool hasTimes() const { return header_.begin.month != 0 || header_.end.month != 0; }

private:
    bool openDevice(int driveNumber);
    void takeIndex(ParsedIndex parsed);
    // Delivers payload bytes from the position on; returns the bytes delivered.
    uint64_t readPayload(uint8_t* buffer, uint64_t count);
    // One step of readPayload: bytes delivered from the position on, 0 when the device read fails.
    uint64_t readCached(uint8_t* out, uint64_t wanted);
    uint64_t readRuns(uint8_t* out, uint64_t wanted);
    void flushPendingUnit();
    std::vector<UnitRun> planRuns(size_t logicalUnit, uint64_t unitCount) const;
    void patchPayloadLength(uint8_t* delivered, uint64_t streamOffset, uint64_t count) const;

    RawDevice device_;
    IndexFileHeader header_;
    std::vector<uint32_t> units_;
    std::vector<uint8_t> table_;
    uint64_t payloadLength_ = 0;
    uint64_t position_ = 0;
    // The last unit a run delivered into the caller's buffer, still to be copied to the cache.
    const uint8_t* pendingBytes_ = nullptr;
    uint32_t pendingUnit_ = 0;
};

}  // namespace quarnel
