// The walk over a directory tree for ".264"/".265" files.
#include "videocheck/video_files.h"

#include <filesystem>
#include <system_error>

namespace videocheck {
namespace {

namespace fs = std::filesystem;

bool isDirectoryToDescend(const fs::directory_entry& entry) {
    std::error_code error;
    // Links to directories are not followed: they can form cycles.
    return !entry.is_symlink(error) && entry.is_directory(error);
}

// `directory` ends with '/'. Entries are taken in the order the directory lists them.
void walkDirectory(const std::string& directory, std::vector<std::string>& files) {
    std::error_code error;
    fs::directory_iterator entries(directory, error);
    for (const fs::directory_iterator end; !error && entries != end; entries.increment(error)) {
        const std::string name = entries->path().filename().string();
        if (isDirectoryToDescend(*entries)) {
            walkDirectory(directory + name + '/', files);
        } else if (hasVideoExtension(name)) {
            files.push_back(directory + name);
        }
    }
}

}  // namespace

bool hasVideoExtension(std::string_view path) { return path.ends_with(".264") || path.ends_with(".265"); }

std::vector<std::string> collectVideoFiles(const std::string& path) {
    if (hasVideoExtension(path)) return {path};
    std::vector<std::string> files;
    if (path.empty()) return files;
    walkDirectory(path.back() == '/' ? path : path + '/', files);
    return files;
}

std::string fileNameOf(const std::string& path) {
    const size_t separator = path.rfind('/');
    return separator == std::string::npos ? path : path.substr(separator + 1);
}

}  // namespace videocheck
