// An owned POSIX file descriptor for the fixture code: closed when the owner goes away.
#pragma once

#include <string>
#include <utility>

namespace nvrtest {

class FileDescriptor {
public:
    FileDescriptor() = default;
    explicit FileDescriptor(int descriptor) : descriptor_(descriptor) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(FileDescriptor&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}
    FileDescriptor& operator=(FileDescriptor&& other) noexcept {
        if (this != &other) {
            reset();
            descriptor_ = std::exchange(other.descriptor_, -1);
        }
        return *this;
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return descriptor_; }
    bool valid() const { return descriptor_ >= 0; }
    void reset();

private:
    int descriptor_ = -1;
};

// Opens `path` with the given open(2) flags; throws std::system_error naming the path on failure.
FileDescriptor openFile(const std::string& path, int flags, unsigned mode = 0644);

// Writes all of `size` bytes at `offset`; throws std::system_error on failure.
void writeAllAt(const FileDescriptor& file, const void* data, size_t size, unsigned long long offset);

}  // namespace nvrtest
