// One format of an NVR disk: the worker that rewrites every volume in place and reports each step.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "disk_state.h"
#include "platform/drive.h"

namespace drelmo {

// Format progress values of TQHD_EVENT_FORMAT_PROGRESS.
constexpr int32_t kFormatVolumeStart = 0x1000000;  // + volume number

class FormatJob {
public:
    FormatJob(DiskState& disk, std::vector<VolumeRecord> volumes);
    // The worker's body: formats every volume and sends the done event last.
    void Run();

private:
    int32_t Send(int32_t code, int32_t value);
    uint64_t RawAreaBytes() const;
    int32_t FormatVolume(platform::Drive& drive, size_t index);
    int32_t FormatVolumes(platform::Drive& drive);
    int32_t Interruption() const;
    void Finish(int32_t result);
    void RefreshListedName();

    DiskState& disk_;
    std::vector<VolumeRecord> volumes_;
    uint32_t formatTime_ = 0;
};

}  // namespace drelmo
