// Recording disks held in memory for the library's tests, built by the fixture builder without
// an ext2 volume, and drives that log every request they receive.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "raw_device.h"
#include "recording_builder.h"

namespace quarnel::testing {

// A disk with a small blank first partition and a raw area of `areaUnits` units holding the
// recordings' payload.
std::vector<uint8_t> recordingDiskBytes(const std::vector<nvrtest::RecordingPlan>& recordings, uint32_t areaUnits = 128,
                                        nvrtest::SuperBlockPlaces places = {});
// Where data unit 0 lies in such a disk (the area's start plus D units).
uint64_t dataUnitPosition(const std::vector<uint8_t>& disk, uint32_t unit);

struct DeviceRequest {
    uint64_t offset = 0;
    uint64_t count = 0;
    bool operator==(const DeviceRequest&) const = default;
};

struct DriveLog {
    int opens = 0;
    std::vector<DeviceRequest> reads;
    // Reads that touch one of these byte ranges fail, as a disk's bad sectors do.
    std::vector<DeviceRequest> failing;
};

// Opens every drive number as a memory copy of `disk` whose reads are logged in `log`.
DriveOpener loggingOpener(std::vector<uint8_t> disk, std::shared_ptr<DriveLog> log);

// A recording of `blocks` full units plus `tail` bytes in the given data units.
nvrtest::RecordingPlan recordingIn(std::vector<uint32_t> units, uint64_t payloadLength,
                                   nvrtest::IndexStyle style = nvrtest::IndexStyle::FrameLists);

}  // namespace quarnel::testing
