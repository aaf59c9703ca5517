// Whether a drive may be written: a drive that holds a mounted file system, active swap or the
// root file system is never written by copy or format.
#pragma once

#include <string>

namespace platform {

enum class DriveUsage {
    Free,            // nothing of the system lives on the drive
    Mounted,         // a file system on the drive (or on one of its partitions) is mounted
    RootFileSystem,  // the root file system lives on the drive
    Swap,            // a swap area on the drive is in use
};

// The usage of drive N. A drive backed by a regular file in the device directory is decided by
// the directory's `mounts` file alone (lines "<directory> <N>"; missing or empty: nothing
// mounted); a block device by /proc/self/mountinfo, /proc/swaps and sysfs (the disk, its
// partitions and the devices stacked on them). A drive that does not exist is Free.
DriveUsage driveUsage(int number);

// A short English phrase for messages ("mounted", "the root file system", ...).
std::string driveUsageText(DriveUsage usage);

// True while the drive's entry (image file, link or device node) still exists: a drive whose
// entry went away was unplugged, even when an open handle still reaches its bytes.
bool drivePresent(int number);

}  // namespace platform
