// Points the disk library at a device directory: it reads NVRDISK_DEVICE_DIR when it loads, so
// a benchmark given another directory sets the variable and runs itself again.
#pragma once

namespace bench {

// Returns when NVRDISK_DEVICE_DIR already equals `directory`; otherwise re-executes the program
// with it set. Exits with status 2 when that fails.
void restartWithDeviceDirectory(const char* directory, char** argv);

}  // namespace bench
