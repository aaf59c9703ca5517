// Drive usage: the device directory's `mounts` file for image-backed drives, the kernel's mount
// and swap tables with sysfs for block devices.
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <fstream>
#include <sstream>

#include "mount_table.h"
#include "platform/drive.h"
#include "platform/drive_usage.h"

namespace platform {
namespace {

std::string readWholeFile(const std::string& path) {
    std::ifstream stream(path);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

// Lines "<directory> <N>": the last field is the drive number; the directory may hold blanks.
bool declaredMounted(const std::string& mountsText, int number) {
    std::istringstream stream(mountsText);
    std::string line;
    while (std::getline(stream, line)) {
        if (line.empty() || line[0] == '#') continue;
        const size_t end = line.find_last_not_of(" \t\r");
        if (end == std::string::npos) continue;
        const size_t start = line.find_last_of(" \t", end);
        if (start == std::string::npos) continue;
        if (line.substr(start + 1, end - start) == std::to_string(number)) return true;
    }
    return false;
}

DeviceNumber numberOf(dev_t device) { return deviceNumber(major(device), minor(device)); }

// The block device a path names (mount sources such as /dev/sda1), if it is one.
bool blockDeviceOf(const std::string& path, DeviceNumber& out) {
    struct stat status {};
    if (path.empty() || path[0] != '/' || ::stat(path.c_str(), &status) != 0 || !S_ISBLK(status.st_mode)) return false;
    out = numberOf(status.st_rdev);
    return true;
}

bool onDisk(const std::set<DeviceNumber>& devices, const MountEntry& mount) {
    DeviceNumber source = 0;
    return devices.count(mount.device) != 0 || (blockDeviceOf(mount.source, source) && devices.count(source) != 0);
}

DriveUsage blockDeviceUsage(dev_t device) {
    const std::set<DeviceNumber> devices = diskDevices("/sys", numberOf(device));
    struct stat root {};
    if (::stat("/", &root) == 0 && devices.count(numberOf(root.st_dev)) != 0) return DriveUsage::RootFileSystem;
    DriveUsage usage = DriveUsage::Free;
    for (const MountEntry& mount : parseMountInfo(readWholeFile("/proc/self/mountinfo"))) {
        if (!onDisk(devices, mount)) continue;
        if (mount.mountPoint == "/") return DriveUsage::RootFileSystem;
        usage = DriveUsage::Mounted;
    }
    if (usage != DriveUsage::Free) return usage;
    for (const std::string& path : parseSwapPaths(readWholeFile("/proc/swaps"))) {
        DeviceNumber swap = 0;
        if (blockDeviceOf(path, swap) && devices.count(swap) != 0) return DriveUsage::Swap;
    }
    return DriveUsage::Free;
}

}  // namespace

DriveUsage driveUsage(int number) {
    const std::string path = drivePath(number);
    struct stat status {};
    if (path.empty() || ::stat(path.c_str(), &status) != 0) return DriveUsage::Free;
    if (S_ISBLK(status.st_mode)) return blockDeviceUsage(status.st_rdev);
    // An image file: the file system that holds it is not the drive; the declaration decides.
    if (!usingDeviceDirectory()) return DriveUsage::Free;
    return declaredMounted(readWholeFile(deviceDirectory() + "/mounts"), number) ? DriveUsage::Mounted
                                                                                  : DriveUsage::Free;
}

std::string driveUsageText(DriveUsage usage) {
    switch (usage) {
    case DriveUsage::Free: return "not in use";
    case DriveUsage::Mounted: return "holds a mounted file system";
    case DriveUsage::RootFileSystem: return "holds the root file system";
    case DriveUsage::Swap: return "holds an active swap area";
    }
    return "in use";
}

bool drivePresent(int number) {
    const std::string path = drivePath(number);
    struct stat status {};
    return !path.empty() && ::stat(path.c_str(), &status) == 0;
}

}  // namespace platform
