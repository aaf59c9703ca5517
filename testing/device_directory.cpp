// Puts drives into a device directory so that each appears in one step: the entry is prepared
// under a hidden temporary name and renamed into place, which a watcher sees as one event.
#include "disk_image_builder.h"

#include "file_descriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <cstdio>
#include <system_error>
#include <unistd.h>

namespace nvrtest {
namespace {

// Not of the form "PhysicalDrive<digits>", so a watcher ignores it while it is being prepared.
std::string temporaryPath(const std::string& directory, int number) {
    return directory + "/.PhysicalDrive" + std::to_string(number) + ".tmp";
}

void check(int result, const std::string& what) {
    if (result != 0) throw std::system_error(errno, std::generic_category(), what);
}

void moveIntoPlace(const std::string& from, const std::string& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) {
        int error = errno;
        ::unlink(from.c_str());
        throw std::system_error(error, std::generic_category(), "rename " + from + " to " + to);
    }
}

}  // namespace

std::string DeviceDirectory::entryPath(int number) const {
    return path_ + "/PhysicalDrive" + std::to_string(number);
}

BuiltDisk DeviceDirectory::addDisk(int number, const DiskPlan& plan) const {
    std::string temporary = temporaryPath(path_, number);
    BuiltDisk built = buildDiskImage(plan, temporary);
    moveIntoPlace(temporary, entryPath(number));
    built.path = entryPath(number);
    return built;
}

void DeviceDirectory::addLink(int number, const std::string& target) const {
    std::string temporary = temporaryPath(path_, number);
    ::unlink(temporary.c_str());  // a leftover from an interrupted run
    check(::symlink(target.c_str(), temporary.c_str()), "symlink " + temporary);
    moveIntoPlace(temporary, entryPath(number));
}

void DeviceDirectory::addBlank(int number, uint64_t sizeBytes) const {
    std::string temporary = temporaryPath(path_, number);
    {
        FileDescriptor file = openFile(temporary, O_WRONLY | O_CREAT | O_TRUNC);
        check(::ftruncate(file.get(), static_cast<off_t>(sizeBytes)), "ftruncate " + temporary);
    }
    moveIntoPlace(temporary, entryPath(number));
}

void DeviceDirectory::remove(int number) const {
    check(::unlink(entryPath(number).c_str()), "unlink " + entryPath(number));
}

}  // namespace nvrtest
