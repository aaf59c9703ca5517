// Formats one ext2 volume in place: empty root and lost+found, fresh bitmaps, descriptors and
// superblocks in every group, its geometry kept.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/drive.h"

namespace drelmo {

struct FormatHooks {
    // Asked before each group: a code other than TQHD_OK ends the volume with it.
    std::function<int32_t()> interruption;
    // Receives the progress event values.
    std::function<void(int32_t)> progress;
};

// Formats the volume that starts at drive byte `start`. TQHD_OK; TQHD_E_BADFS for a volume this
// formatter refuses; TQHD_E_READ, TQHD_E_WRITE, TQHD_E_NOMEM; or the interruption's code.
int32_t formatExt2Volume(platform::Drive& drive, uint64_t start, uint32_t formatTime, const FormatHooks& hooks);

}  // namespace drelmo
