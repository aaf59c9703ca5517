// The runtime directory that holds the service's sockets, sections and lock file, and the access
// rule for what the service creates there.
#pragma once

#include <string>

namespace platform {

// $NVRDISK_RUNTIME_DIR without trailing slashes, else /run/halvex.
std::string runtimeDirectory();
// `<runtime dir>/<name>`.
std::string runtimePath(const std::string& name);
// Creates the directory and its missing parents with mode 0755; true when it exists afterwards.
bool makeRuntimeDirectory(const std::string& path);

// Who may use a socket or section the service creates: `mode` (0666 lets every local user in),
// an owning group when `group` >= 0, an owning user when `user` >= 0 (the service must be root).
struct AccessRule {
    unsigned mode = 0666;
    int group = -1;
    int user = -1;
};
// The id of a group name, -1 when there is no such group.
int groupIdOf(const std::string& groupName);
// True when the process runs as root (may give objects to other users).
bool runningAsRoot();

}  // namespace platform
