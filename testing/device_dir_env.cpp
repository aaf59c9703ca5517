// Reads the device directory handed down by the test main().
#include "device_dir_env.h"

#include <cstdio>
#include <cstdlib>

namespace nvrtest {

std::string testDeviceDirectory() {
    const char* directory = std::getenv("NVRDISK_DEVICE_DIR");
    if (directory == nullptr || *directory == '\0') {
        std::fprintf(stderr, "NVRDISK_DEVICE_DIR is not set: link this test program with nvr_devicedir_main\n");
        std::abort();
    }
    return directory;
}

}  // namespace nvrtest
