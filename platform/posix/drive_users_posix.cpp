// Drive users from /proc/<pid>/fd: every descriptor that names the drive's file or device.
#include "platform/drive_users.h"

#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <filesystem>
#include <fstream>

#include "platform/drive.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

struct Identity {
    bool blockDevice = false;
    dev_t device = 0;
    ino_t inode = 0;
};

bool identify(const std::string& path, Identity& out) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) return false;
    out.blockDevice = S_ISBLK(status.st_mode);
    out.device = out.blockDevice ? status.st_rdev : status.st_dev;
    out.inode = status.st_ino;
    return true;
}

// A block device matches its own number and the partitions behind it (same major, minors up to
// 15 above a whole disk's, as sd disks number them).
bool matches(const Identity& drive, const Identity& open) {
    if (drive.blockDevice != open.blockDevice) return false;
    if (!drive.blockDevice) return drive.device == open.device && drive.inode == open.inode;
    return major(drive.device) == major(open.device) && minor(open.device) >= minor(drive.device) &&
           minor(open.device) < minor(drive.device) + 16;
}

bool processUses(const fs::path& processDirectory, const Identity& drive) {
    std::error_code error;
    for (const auto& descriptor : fs::directory_iterator(processDirectory / "fd", error)) {
        Identity open;
        if (identify(descriptor.path().string(), open) && matches(drive, open)) return true;
    }
    return false;
}

std::string commandName(const fs::path& processDirectory) {
    std::ifstream file(processDirectory / "comm");
    std::string name;
    std::getline(file, name);
    return name;
}

}  // namespace

std::vector<DriveUser> driveUsers(int number) {
    std::vector<DriveUser> users;
    Identity drive;
    if (!identify(drivePath(number), drive)) return users;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        if (processUses(entry.path(), drive)) users.push_back(DriveUser{std::stoi(name), commandName(entry.path())});
    }
    return users;
}

}  // namespace platform
