// `nvrdisk status`: whether the drives are used directly or through the disk service, and
// whether the service answers.
#include <iostream>

#include "command_error.h"
#include "commands.h"
#include "device_directory_option.h"
#include "service_check.h"

namespace nvrdisk {

void showStatus() {
    const DiskAccess access = checkDiskAccess();
    std::cout << "drives   " << currentDeviceDirectory() << "\n"
              << "mode     "
              << (access.direct ? "direct (this user opens the drives itself)"
                                : "service (this user cannot open the drives; calls go to the disk service)")
              << "\n"
              << "service  " << (access.serviceAnswers ? "answers at " : "not running (no answer at ")
              << access.socketPath << (access.serviceAnswers ? "" : ")") << "\n";
    if (!access.direct && !access.serviceAnswers) throw noDiskAccess(access.socketPath);
}

}  // namespace nvrdisk
