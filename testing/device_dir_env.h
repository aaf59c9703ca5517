// The device directory a test program was given by its main() (see device_dir_main.cpp).
#pragma once

#include <string>

namespace nvrtest {

// $NVRDISK_DEVICE_DIR: a fresh, empty directory made for this run of the test program, which
// the disk library watches and opens drives in. Aborts with a message when it is not set,
// which means the program was not linked with nvr_devicedir_main.
std::string testDeviceDirectory();

}  // namespace nvrtest
