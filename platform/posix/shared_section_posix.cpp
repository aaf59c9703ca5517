// Sections as files mapped shared by the service and its client.
#include "platform/shared_section.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>

#include "unique_fd.h"

namespace platform {
namespace {

uint8_t* mapWhole(int descriptor, size_t size) {
    void* view = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
    return view == MAP_FAILED ? nullptr : static_cast<uint8_t*>(view);
}

}  // namespace

SharedSection::SharedSection(SharedSection&& other) noexcept
    : view_(std::exchange(other.view_, nullptr)), size_(std::exchange(other.size_, 0)),
      ownedPath_(std::move(other.ownedPath_)) {}

SharedSection& SharedSection::operator=(SharedSection&& other) noexcept {
    if (this != &other) {
        release();
        view_ = std::exchange(other.view_, nullptr);
        size_ = std::exchange(other.size_, 0);
        ownedPath_ = std::move(other.ownedPath_);
    }
    return *this;
}

SharedSection::~SharedSection() { release(); }

void SharedSection::release() {
    if (view_ != nullptr) ::munmap(view_, size_);
    view_ = nullptr;
    size_ = 0;
    if (!ownedPath_.empty()) ::unlink(ownedPath_.c_str());
    ownedPath_.clear();
}

SharedSection SharedSection::create(const std::string& path, size_t size, const AccessRule& rule) {
    ::unlink(path.c_str());
    // O_EXCL: never write through a file or link someone else put at this name.
    UniqueFd file(::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!file.valid()) return SharedSection();
    SharedSection section;
    section.ownedPath_ = path;
    if (::ftruncate(file.get(), static_cast<off_t>(size)) != 0) return SharedSection();
    if (rule.group >= 0 || rule.user >= 0) {
        if (::fchown(file.get(), static_cast<uid_t>(rule.user), static_cast<gid_t>(rule.group)) != 0) return SharedSection();
    }
    if (::fchmod(file.get(), rule.mode) != 0) return SharedSection();
    section.view_ = mapWhole(file.get(), size);
    if (section.view_ == nullptr) return SharedSection();
    section.size_ = size;
    return section;  // a fresh file reads as zeros: the section starts cleared
}

SharedSection SharedSection::open(const std::string& path, size_t size) {
    UniqueFd file(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW));
    struct stat status {};
    if (!file.valid() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return SharedSection();
    if (static_cast<uint64_t>(status.st_size) != size) return SharedSection();
    SharedSection section;
    section.view_ = mapWhole(file.get(), size);
    if (section.view_ != nullptr) section.size_ = size;
    return section;
}

}  // namespace platform
