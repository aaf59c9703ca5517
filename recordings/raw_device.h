// Reads the raw data area of one physical drive: the boot record, the RawSuperBlock search over
// its three places, and 64 KiB data units with a one-unit cache.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "platform/drive.h"
#include "raw_area.h"

namespace quarnel {

// Opens physical drive N for reading with the given share mode; null on failure. The library uses
// platform::openDrive; tests pass an opener that wraps the drive to watch its requests.
using DriveOpener = std::function<std::unique_ptr<platform::Drive>(int number, unsigned share)>;
DriveOpener systemDriveOpener();

// `count` data units from `unit` on, lying back to back on the disk.
struct UnitRun {
    uint32_t unit = 0;
    uint32_t count = 0;
};

class RawDevice {
public:
    explicit RawDevice(DriveOpener opener);

    // Opens drive N sharing read and write, and again sharing read only when that is refused.
    bool openShared(int number);
    // Opens drive N sharing read only: fails while another handle has it open for writing.
    bool openExclusiveOfWriters(int number);
    bool isOpen() const { return drive_ != nullptr; }
    void close();

    // Reads sector 0 and takes the raw area's place from it; false when unreadable or not valid.
    bool readBootRecord();
    // Tries the three places of the RawSuperBlock (unit 0 sector 0, unit 0 sector 7, the last
    // whole unit) and keeps the first copy whose magic is right.
    bool findSuperBlock();
    const RawAreaPlace& place() const { return place_; }

    // The 64 KiB of data unit `unit`, from the cache or read into it; null when the read fails
    // (the cache then keeps what it held).
    const uint8_t* unitThroughCache(uint32_t unit);
    // Reads the runs one after another straight into `destination`, one device request per run,
    // all handed to the drive as one batch; returns how many leading runs were read whole (a run
    // that would leave the raw data area ends the batch). The cache is left alone: the caller
    // hands the last unit read to keepInCache once it has finished its request, so a long read
    // copies one unit, not one per device request.
    size_t readUnitRuns(std::span<const UnitRun> runs, uint8_t* destination);
    // Makes the 64 KiB at `bytes` (data unit `unit`, just read from the drive) the cached unit.
    void keepInCache(uint32_t unit, const uint8_t* bytes);

private:
    // The disk position of data unit `unit`, or nullopt when `unitCount` units from there would
    // leave the raw data area.
    std::optional<uint64_t> unitPosition(uint32_t unit, uint32_t unitCount) const;
    bool readSuperBlockAt(uint64_t position);

    DriveOpener opener_;
    std::unique_ptr<platform::Drive> drive_;
    RawAreaPlace place_;
    std::array<uint8_t, kRawSuperBlockSize> superBlockCopy_{};
    RawSuperBlock superBlock_;
    std::vector<uint8_t> cache_;
    std::vector<uint8_t> work_;
    int64_t cachedUnit_ = -1;
};

}  // namespace quarnel
