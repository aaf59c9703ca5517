// Opening, writing and closing files for the fixture builder, with errors as exceptions.
#include "file_descriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

namespace nvrtest {

void FileDescriptor::reset() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
}

FileDescriptor openFile(const std::string& path, int flags, unsigned mode) {
    int descriptor = ::open(path.c_str(), flags | O_CLOEXEC, mode);
    if (descriptor < 0) throw std::system_error(errno, std::generic_category(), "open " + path);
    return FileDescriptor(descriptor);
}

void writeAllAt(const FileDescriptor& file, const void* data, size_t size, unsigned long long offset) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = ::pwrite(file.get(), bytes, size, static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) throw std::system_error(errno, std::generic_category(), "pwrite");
        bytes += written;
        size -= static_cast<size_t>(written);
        offset += static_cast<unsigned long long>(written);
    }
}

}  // namespace nvrtest
