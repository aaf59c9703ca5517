#include "directory.h"

#include <cstring>

#include "hard_disk.h"

namespace drelmo {

namespace {

constexpr char kLostAndFound[] = "lost+found";

bool hiddenEntry(const DirectoryEntry& entry) {
    if (entry.inode == 0 || entry.name == "." || entry.name == "..") return true;
    return entry.name.compare(0, sizeof kLostAndFound - 1, kLostAndFound) == 0;
}

void fillRecord(TQHD_FIND_DATA& record, const DirectoryEntry& entry, int32_t volume) {
    record.lType = entry.fileType == 2 ? TQHD_TYPE_DIRECTORY : TQHD_TYPE_FILE;
    std::memset(record.szName, 0, sizeof record.szName);
    std::memcpy(record.szName, entry.name.data(), entry.name.size());  // at most 255 bytes
    record.lVolume = volume;
    record.lInode = entry.inode;
}

}  // namespace

int32_t CTQDirectory::OpenFind(CTQHardDisk* disk, const TQHD_FIND_DATA* from, int32_t volume) {
    if (int32_t code = binding_.Bind(disk); code != TQHD_OK) return code;
    if (from != nullptr) {
        identity_ = *from;
    } else {
        identity_ = TQHD_FIND_DATA{};
        identity_.lVolume = volume;
        identity_.lInode = kRootInode;
    }
    identity_.pNext = nullptr;
    DiskState* state = binding_.State();
    if (identity_.lVolume < 0 || identity_.lVolume >= state->VolumeCount()) return TQHD_E_PARAM;
    auto found = state->Lookup(identity_.lVolume, identity_.lInode);
    if (!found) return TQHD_E_UNRECOGNISED;
    inode_ = decodeInode(found->bytes);
    content_ = found->content;
    return inode_.size == 0 ? TQHD_E_EMPTY : TQHD_OK;
}

int32_t CTQDirectory::GetFindList(TQHD_FIND_DATA* first) {
    if (!inode_.isDirectory()) return TQHD_E_NOTDIR;
    if (listed_) {
        *first = storedFirst_;
        return listResult_;
    }
    listResult_ = BuildList(first);
    storedFirst_ = *first;
    listed_ = true;
    return listResult_;
}

TQHD_FIND_DATA* CTQDirectory::NextRecord(TQHD_FIND_DATA* filled) {
    TQHD_FIND_DATA& next = records_.emplace_back();
    filled->pNext = &next;
    return &next;
}

int32_t CTQDirectory::BuildList(TQHD_FIND_DATA* first) {
    *first = TQHD_FIND_DATA{};
    if (!content_) return TQHD_E_NOTFOUND;
    const std::span<const uint8_t> content(*content_);
    const uint64_t end = inode_.size > 0 ? uint64_t{inode_.size} - 1 : 0;
    TQHD_FIND_DATA* toFill = first;
    TQHD_FIND_DATA* lastFilled = nullptr;
    bool found = false;
    uint64_t cursor = 0;
    while (cursor < end) {
        DirectoryEntry entry;
        if (!decodeDirectoryEntry(content, cursor, entry) || entry.recordLength < 8) break;
        cursor += entry.recordLength;
        if (hiddenEntry(entry)) continue;
        fillRecord(*toFill, entry, identity_.lVolume);
        lastFilled = toFill;
        found = true;
        if (cursor < end) toFill = NextRecord(toFill);
    }
    // A record allocated for entries that all turned out hidden is dropped again.
    if (lastFilled != nullptr && lastFilled->pNext != nullptr) {
        lastFilled->pNext = nullptr;
        records_.pop_back();
    }
    return found ? TQHD_OK : TQHD_E_NOTFOUND;
}

}  // namespace drelmo
