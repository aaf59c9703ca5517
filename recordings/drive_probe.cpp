#include "drive_probe.h"

#include "platform/volume_drive.h"
#include "trans_index.h"

namespace quarnel {
namespace {

// The drive is opened sharing read only, so a drive being written (copied onto, formatted) by
// this process answers "no drive".
ProbeCode probeOpenDrive(RawDevice& device, int driveNumber) {
    if (!device.openExclusiveOfWriters(driveNumber)) return kProbeNoDrive;
    return device.findSuperBlock() ? kProbeRawArea : kProbeNoRawArea;
}

}  // namespace

ProbeCode probeDrive(int driveNumber, const DriveOpener& opener) {
    if (platform::drivePath(driveNumber).empty()) return kProbeNoDrive;
    RawDevice device(opener);
    if (!device.openExclusiveOfWriters(driveNumber) || !device.readBootRecord()) return kProbeNoDrive;
    return device.findSuperBlock() ? kProbeRawArea : kProbeNoRawArea;
}

ProbeCode probePath(const std::string& path, const DriveOpener& opener) {
    if (path.empty()) return kProbeEmptyPath;
    if (path.size() >= kMaximumPath) return kProbeNoDrive;
    const int driveNumber = platform::driveOfVolumePath(path);
    if (driveNumber < 0 || platform::drivePath(driveNumber).empty()) return kProbeNoDrive;
    RawDevice device(opener);
    if (!device.openShared(driveNumber) || !device.readBootRecord()) return kProbeNoDrive;
    device.close();
    return probeOpenDrive(device, driveNumber);
}

}  // namespace quarnel
