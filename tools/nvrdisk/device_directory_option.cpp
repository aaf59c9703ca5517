// Applies --devices by re-executing the program before any library call is made.
#include "device_directory_option.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "command_error.h"

namespace nvrdisk {
namespace {

constexpr const char* deviceDirectoryVariable = "NVRDISK_DEVICE_DIR";

}  // namespace

void useDeviceDirectory(const std::string& directory, char** argv) {
    std::error_code error;
    if (!std::filesystem::is_directory(directory, error))
        throw CommandError("the device directory " + directory + " does not exist");
    // An absolute path keeps the comparison stable across the re-execution.
    const std::string absolute = std::filesystem::absolute(directory).lexically_normal().string();
    const char* current = std::getenv(deviceDirectoryVariable);
    if (current != nullptr && absolute == current) return;
    if (setenv(deviceDirectoryVariable, absolute.c_str(), 1) != 0)
        throw CommandError(std::string("cannot set the device directory: ") + std::strerror(errno));
    execv("/proc/self/exe", argv);
    throw CommandError(std::string("cannot restart with the device directory: ") + std::strerror(errno));
}

std::string currentDeviceDirectory() {
    const char* current = std::getenv(deviceDirectoryVariable);
    return current != nullptr && *current != '\0' ? current : "/dev";
}

}  // namespace nvrdisk
