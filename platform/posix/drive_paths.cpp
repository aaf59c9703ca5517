// Where drives live: image files in $NVRDISK_DEVICE_DIR, or the whole disks /dev/sda../dev/sdz.
#include "drive_paths.h"

#include <cstdlib>

#include "platform/drive.h"

namespace platform {
namespace {

constexpr const char* kDeviceDirVariable = "NVRDISK_DEVICE_DIR";
constexpr const char* kDriveEntryPrefix = "PhysicalDrive";
constexpr int kDriveLetters = 26;
// Drive numbers in entry names stay below this; longer digit runs name no drive.
constexpr int kMaximumDriveDigits = 6;

// $NVRDISK_DEVICE_DIR without trailing slashes; empty when unset or empty.
std::string configuredDirectory() {
    const char* value = std::getenv(kDeviceDirVariable);
    std::string directory = value != nullptr ? value : "";
    while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
    return directory;
}

// The number written in canonical decimal (no sign, no leading zero), else -1: only the
// spelling drivePath() produces names a drive.
int canonicalNumber(const std::string& digits) {
    if (digits.empty() || digits.size() > kMaximumDriveDigits) return -1;
    if (digits.size() > 1 && digits[0] == '0') return -1;
    int number = 0;
    for (char digit : digits) {
        if (digit < '0' || digit > '9') return -1;
        number = number * 10 + (digit - '0');
    }
    return number;
}

int numberOfImageEntry(const std::string& entryName) {
    const std::string prefix = kDriveEntryPrefix;
    if (entryName.compare(0, prefix.size(), prefix) != 0) return -1;
    return canonicalNumber(entryName.substr(prefix.size()));
}

int numberOfDiskEntry(const std::string& entryName) {
    if (entryName.size() != 3 || entryName.compare(0, 2, "sd") != 0) return -1;
    const char letter = entryName[2];
    return letter >= 'a' && letter < 'a' + kDriveLetters ? letter - 'a' : -1;
}

}  // namespace

std::string deviceDirectory() {
    std::string directory = configuredDirectory();
    return directory.empty() ? "/dev" : directory;
}

bool usingDeviceDirectory() { return !configuredDirectory().empty(); }

std::string drivePath(int number) {
    if (number < 0) return {};
    const std::string directory = configuredDirectory();
    if (!directory.empty()) {
        const char* separator = directory.back() == '/' ? "" : "/";
        return directory + separator + kDriveEntryPrefix + std::to_string(number);
    }
    if (number >= kDriveLetters) return {};
    return std::string("/dev/sd") + static_cast<char>('a' + number);
}

int driveNumberOfEntry(const std::string& entryName) {
    return usingDeviceDirectory() ? numberOfImageEntry(entryName) : numberOfDiskEntry(entryName);
}

int driveNumberOfPath(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return -1;
    const int number = driveNumberOfEntry(path.substr(slash + 1));
    return number >= 0 && drivePath(number) == path ? number : -1;
}

}  // namespace platform
