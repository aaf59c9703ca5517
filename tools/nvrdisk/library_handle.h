// Owns a directory or file handle of the disk library and closes it once.
#pragma once

#include <utility>

#include "tqhd.h"

namespace nvrdisk {

class LibraryHandle {
public:
    LibraryHandle() = default;
    explicit LibraryHandle(TQHD_HANDLE handle) : handle_(handle) {}
    ~LibraryHandle() { TQHD_CloseHandle(handle_); }
    LibraryHandle(LibraryHandle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    LibraryHandle& operator=(LibraryHandle&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    LibraryHandle(const LibraryHandle&) = delete;
    LibraryHandle& operator=(const LibraryHandle&) = delete;

    TQHD_HANDLE get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    TQHD_HANDLE handle_ = nullptr;
};

}  // namespace nvrdisk
