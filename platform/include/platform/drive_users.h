// The programs that have a drive open, so a user can be shown who would be cut off by a format.
#pragma once

#include <string>
#include <vector>

namespace platform {

struct DriveUser {
    int processId = 0;
    std::string program;  // the process's command name
};

// The processes (the caller's included) with an open descriptor on drive N or, for a block
// device, on one of its partitions. Processes the caller may not examine are not listed.
std::vector<DriveUser> driveUsers(int number);

}  // namespace platform
