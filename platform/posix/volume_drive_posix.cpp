// Volume to drive: the "mounts" file of the device directory for image-backed drives, else the
// path's device number followed through sysfs to the whole disk it belongs to.
#include "platform/volume_drive.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "platform/drive.h"

namespace platform {
namespace {

// The canonical absolute form of an existing path, or empty.
std::string canonical(const std::string& path) {
    char resolved[PATH_MAX];
    return ::realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : std::string();
}

// True when `path` is `directory` or lies below it (whole components only).
bool contains(const std::string& directory, const std::string& path) {
    if (directory == "/") return true;
    if (path.compare(0, directory.size(), directory) != 0) return false;
    return path.size() == directory.size() || path[directory.size()] == '/';
}

int driveFromMountsFile(const std::string& path) {
    const std::string target = canonical(path);
    if (target.empty()) return -1;
    std::ifstream mounts(deviceDirectory() + "/mounts");
    int best = -1;
    size_t bestLength = 0;
    for (std::string line; std::getline(mounts, line);) {
        std::istringstream words(line);
        std::string directory;
        int number = -1;
        if (!(words >> directory >> number) || number < 0) continue;
        const std::string root = canonical(directory);
        if (root.empty() || !contains(root, target) || (best >= 0 && root.size() <= bestLength)) continue;
        best = number;
        bestLength = root.size();
    }
    return best;
}

// /sys/dev/block/<major>:<minor> leads to the block device; a partition's parent is its disk.
int driveFromSysfs(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return -1;
    std::ostringstream link;
    link << "/sys/dev/block/" << major(status.st_dev) << ":" << minor(status.st_dev);
    std::string device = canonical(link.str());
    if (device.empty()) return -1;
    struct stat partition {};
    if (::stat((device + "/partition").c_str(), &partition) == 0) device = device.substr(0, device.rfind('/'));
    return driveNumberOfEntry(device.substr(device.rfind('/') + 1));
}

}  // namespace

int driveOfVolumePath(const std::string& path) {
    if (path.empty()) return -1;
    return usingDeviceDirectory() ? driveFromMountsFile(path) : driveFromSysfs(path);
}

}  // namespace platform
