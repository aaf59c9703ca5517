// The service's own 32-bit handle numbers for the library's handles. Disk handles belong to the
// library and are shared by every session under one number; every other handle belongs to the
// session that opened it, and only that session may use or close it.
#pragma once

#include <cstdint>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "tqhd.h"

namespace halvex {

enum class HandleKind { Disk, Directory, File };

using SessionId = uint64_t;

class HandleTable {
public:
    // The number for a library handle (0 for null). A disk handle keeps one number for as long as
    // the service runs; every other handle gets a fresh number owned by `session`.
    uint32_t add(TQHD_HANDLE handle, HandleKind kind, SessionId session);
    // The library handle behind `number` when `session` may use it and it is of `kind`; else null.
    TQHD_HANDLE resolve(uint32_t number, SessionId session, HandleKind kind) const;
    // The same for requests that take a handle of any kind.
    TQHD_HANDLE resolveAny(uint32_t number, SessionId session) const;
    // Removes one of the session's own handles from the table; null when it is not one.
    TQHD_HANDLE take(uint32_t number, SessionId session);
    // True when `number` is a disk handle's number.
    bool isDisk(uint32_t number) const;
    // Removes every handle the session opened and returns them for closing.
    std::vector<TQHD_HANDLE> takeAll(SessionId session);
    // Handles owned by sessions (disk numbers not counted).
    size_t ownedCount() const;

private:
    struct Entry {
        TQHD_HANDLE handle = nullptr;
        HandleKind kind = HandleKind::File;
        SessionId owner = 0;  // 0: a disk handle, usable by every session
    };
    const Entry* usable(uint32_t number, SessionId session) const;
    uint32_t freeNumber();

    mutable std::mutex mutex_;
    std::unordered_map<uint32_t, Entry> entries_;
    std::unordered_map<TQHD_HANDLE, uint32_t> diskNumbers_;
    uint32_t next_ = 1;
};

}  // namespace halvex
