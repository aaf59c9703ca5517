// The drive probes: does a drive, named by number or by a path on one of its volumes, carry a
// raw data area?
#pragma once

#include <cstdint>
#include <string>

#include "raw_device.h"

namespace quarnel {

enum ProbeCode : uint32_t {
    kProbeEmptyPath = 0,
    kProbeNoDrive = 1,     // not found, not openable, or no valid boot record
    kProbeRawArea = 2,
    kProbeNoRawArea = 3,
};

ProbeCode probeDrive(int driveNumber, const DriveOpener& opener);
ProbeCode probePath(const std::string& path, const DriveOpener& opener);

}  // namespace quarnel
