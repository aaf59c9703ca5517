// The global --devices option: the disk library reads its device directory once, when it loads,
// so choosing another one means starting the program again with the environment set.
#pragma once

#include <string>

namespace nvrdisk {

// Returns when the library already uses `directory`; otherwise sets NVRDISK_DEVICE_DIR and
// re-executes this program with the same arguments (returns only by throwing CommandError).
void useDeviceDirectory(const std::string& directory, char** argv);
// The directory the library reads drives from: NVRDISK_DEVICE_DIR, or "/dev" when it is unset.
std::string currentDeviceDirectory();

}  // namespace nvrdisk
