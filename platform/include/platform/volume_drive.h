// Which physical drive holds the volume a path lies on.
#pragma once

#include <string>

namespace platform {

// The drive number of the disk that holds the file system of `path`, or -1 when there is none
// (the path does not exist, or its file system is not on a drive: a network or memory file
// system). With a device directory, its file "mounts" declares where image-backed drives are
// mounted, one "<directory> <N>" per line; the longest listed directory that contains the path
// wins. Without one, the path's device is followed through sysfs to its whole disk (sdX).
int driveOfVolumePath(const std::string& path);

}  // namespace platform
