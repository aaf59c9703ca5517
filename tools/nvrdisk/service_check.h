// How this process reaches the disks: directly (it may open the first drive, as the client
// library decides) or through the disk service, and whether the service answers.
#pragma once

#include <string>

#include "command_error.h"

namespace nvrdisk {

struct DiskAccess {
    bool direct = false;          // the first drive opens: calls run in this process
    bool serviceAnswers = false;  // a full registration with the service succeeded
    std::string socketPath;       // where the service's command socket is looked for
};

DiskAccess checkDiskAccess();
// Throws CommandError saying that the drives cannot be opened and the service is not running,
// and how to start it, when neither way is open.
void requireDiskAccess();
// That error, for a caller that has already found neither way open.
CommandError noDiskAccess(const std::string& socketPath);

}  // namespace nvrdisk
