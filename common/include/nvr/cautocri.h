// The scoped lock used for every critical section of the disk line.
#pragma once

#include <mutex>

namespace nvr {

// A critical section: recursive, so a thread that holds it may enter it again.
using CriticalSection = std::recursive_mutex;

// Enters the section on construction and leaves it on destruction, or earlier through Release()
// (used to drop a lock before a long operation or an outgoing call). The site number names the
// call site for diagnostics only.
class CAutoCri {
public:
    explicit CAutoCri(CriticalSection& section, int site = 0) : section_(&section), site_(site) { section_->lock(); }
    CAutoCri(const CAutoCri&) = delete;
    CAutoCri& operator=(const CAutoCri&) = delete;
    virtual ~CAutoCri() { Release(); }

    void Release() {
        if (section_ == nullptr) return;
        section_->unlock();
        section_ = nullptr;
    }
    int Site() const { return site_; }

private:
    CriticalSection* section_;
    int site_;
};

}  // namespace nvr
