// Re-executes a benchmark with the device directory in its environment.
#include "device_dir_restart.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace bench {

void restartWithDeviceDirectory(const char* directory, char** argv) {
    const char* current = std::getenv("NVRDISK_DEVICE_DIR");
    if (current != nullptr && std::strcmp(current, directory) == 0) return;
    setenv("NVRDISK_DEVICE_DIR", directory, 1);
    execv("/proc/self/exe", argv);
    std::perror("cannot restart with the device directory");
    std::exit(2);
}

}  // namespace bench
