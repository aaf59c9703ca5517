// Internal: the drive number a path names, for handles opened by path.
#pragma once

#include <string>

namespace platform {

// The number N when `path` is drivePath(N) (an entry of the device directory), else -1.
int driveNumberOfPath(const std::string& path);

}  // namespace platform
