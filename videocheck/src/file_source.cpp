// A file read forward in large blocks through one moving window.
#include "byte_source.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace videocheck {

FileSource::FileSource(const std::string& path) {
    std::error_code error;
    // Only regular files: opening a pipe or device could block or never end.
    if (!std::filesystem::is_regular_file(path, error)) return;
    size_ = std::filesystem::file_size(path, error);
    if (error) return;
    file_.rdbuf()->pubsetbuf(nullptr, 0);  // reads go straight into the window
    file_.open(path, std::ios::binary);
    opened_ = file_.is_open();
}

std::span<const uint8_t> FileSource::view(uint64_t position, size_t minimum) {
    if (failed_ || position >= size_) return {};
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(minimum, size_ - position));
    const bool inside = position >= windowStart_ && position + wanted <= windowStart_ + windowLength_;
    if (!inside && !load(position, std::max(wanted, kBlockSize))) return {};
    const size_t offset = static_cast<size_t>(position - windowStart_);
    return std::span<const uint8_t>(window_.data() + offset, windowLength_ - offset);
}

bool FileSource::load(uint64_t position, size_t length) {
    length = static_cast<size_t>(std::min<uint64_t>(length, size_ - position));
    if (window_.size() < length) window_.resize(length);
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(position));
    file_.read(reinterpret_cast<char*>(window_.data()), static_cast<std::streamsize>(length));
    if (static_cast<size_t>(file_.gcount()) != length) {
        failed_ = true;  // the file shrank or the device failed: the result is a read failure
        windowLength_ = 0;
        return false;
    }
    windowStart_ = position;
    windowLength_ = length;
    return true;
}

}  // namespace videocheck
