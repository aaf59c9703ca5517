// The runtime directory and the owners of what the service creates in it.
#include "platform/runtime_dir.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace platform {
namespace {

constexpr const char* kRuntimeDirVariable = "NVRDISK_RUNTIME_DIR";
constexpr const char* kDefaultRuntimeDir = "/run/halvex";

bool isDirectory(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

}  // namespace

std::string runtimeDirectory() {
    const char* value = std::getenv(kRuntimeDirVariable);
    std::string directory = value != nullptr ? value : "";
    while (directory.size() > 1 && directory.back() == '/') directory.pop_back();
    return directory.empty() ? kDefaultRuntimeDir : directory;
}

std::string runtimePath(const std::string& name) { return runtimeDirectory() + "/" + name; }

bool makeRuntimeDirectory(const std::string& path) {
    if (path.empty()) return false;
    if (isDirectory(path)) return true;
    const size_t slash = path.find_last_of('/');
    if (slash != std::string::npos && slash > 0 && !makeRuntimeDirectory(path.substr(0, slash))) return false;
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) return false;
    return isDirectory(path);
}

int groupIdOf(const std::string& groupName) {
    if (groupName.empty()) return -1;
    group entry {};
    group* found = nullptr;
    std::vector<char> scratch(16384);
    if (::getgrnam_r(groupName.c_str(), &entry, scratch.data(), scratch.size(), &found) != 0 || found == nullptr) {
        return -1;
    }
    return static_cast<int>(found->gr_gid);
}

bool runningAsRoot() { return ::geteuid() == 0; }

}  // namespace platform
