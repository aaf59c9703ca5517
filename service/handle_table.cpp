// Handle numbers: one shared number per disk, session-owned numbers for everything else.
#include "handle_table.h"

namespace halvex {

uint32_t HandleTable::freeNumber() {
    // Numbers count up and skip 0 and numbers still in use when they wrap.
    for (;;) {
        const uint32_t number = next_++;
        if (number != 0 && entries_.find(number) == entries_.end()) return number;
    }
}

uint32_t HandleTable::add(TQHD_HANDLE handle, HandleKind kind, SessionId session) {
    if (handle == nullptr) return 0;
    std::lock_guard lock(mutex_);
    if (kind == HandleKind::Disk) {
        const auto known = diskNumbers_.find(handle);
        if (known != diskNumbers_.end()) return known->second;
        const uint32_t number = freeNumber();
        entries_[number] = {handle, kind, 0};
        diskNumbers_[handle] = number;
        return number;
    }
    const uint32_t number = freeNumber();
    entries_[number] = {handle, kind, session};
    return number;
}

const HandleTable::Entry* HandleTable::usable(uint32_t number, SessionId session) const {
    const auto found = entries_.find(number);
    if (found == entries_.end()) return nullptr;
    const Entry& entry = found->second;
    return entry.owner == 0 || entry.owner == session ? &entry : nullptr;
}

TQHD_HANDLE HandleTable::resolve(uint32_t number, SessionId session, HandleKind kind) const {
    std::lock_guard lock(mutex_);
    const Entry* entry = usable(number, session);
    return entry != nullptr && entry->kind == kind ? entry->handle : nullptr;
}

TQHD_HANDLE HandleTable::resolveAny(uint32_t number, SessionId session) const {
    std::lock_guard lock(mutex_);
    const Entry* entry = usable(number, session);
    return entry != nullptr ? entry->handle : nullptr;
}

TQHD_HANDLE HandleTable::take(uint32_t number, SessionId session) {
    std::lock_guard lock(mutex_);
    const auto found = entries_.find(number);
    if (found == entries_.end() || found->second.owner == 0 || found->second.owner != session) return nullptr;
    TQHD_HANDLE handle = found->second.handle;
    entries_.erase(found);
    return handle;
}

bool HandleTable::isDisk(uint32_t number) const {
    std::lock_guard lock(mutex_);
    const auto found = entries_.find(number);
    return found != entries_.end() && found->second.owner == 0;
}

std::vector<TQHD_HANDLE> HandleTable::takeAll(SessionId session) {
    std::lock_guard lock(mutex_);
    std::vector<TQHD_HANDLE> handles;
    for (auto entry = entries_.begin(); entry != entries_.end();) {
        if (entry->second.owner == session && session != 0) {
            handles.push_back(entry->second.handle);
            entry = entries_.erase(entry);
        } else {
            ++entry;
        }
    }
    return handles;
}

size_t HandleTable::ownedCount() const {
    std::lock_guard lock(mutex_);
    return entries_.size() - diskNumbers_.size();
}

}  // namespace halvex
