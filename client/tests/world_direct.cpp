// Direct mode: the drives are in this program's device directory, drive 0 among them, so every
// client object calls the disk library in this process.
#include "client_world.h"

#include "device_dir_env.h"
#include "disk_image_builder.h"

namespace clienttest {

std::string driveDirectory() { return nvrtest::testDeviceDirectory(); }

void startWorld() { nvrtest::DeviceDirectory(driveDirectory()).addBlank(0, 1 << 20); }

void stopWorld() {}

bool serviceMode() { return false; }

int serviceSessions() { return 0; }

}  // namespace clienttest
