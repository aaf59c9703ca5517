// Fresh scratch directories for tests, removed with everything in them.
#include "disk_image_builder.h"

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace nvrtest {

TempDir::TempDir(const std::string& prefix) {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/" + prefix + "-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr)
        throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
    path_ = buffer.data();
}

TempDir::~TempDir() {
    std::error_code ignored;  // a destructor must not throw; leftovers in /tmp are harmless
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace nvrtest
