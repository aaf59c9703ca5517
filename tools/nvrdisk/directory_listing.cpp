// Walks the library's chain of find records once and copies it out.
#include "directory_listing.h"

#include <strings.h>

#include "command_error.h"

namespace nvrdisk {

std::vector<TQHD_FIND_DATA> readEntries(TQHDC_HANDLE directory) {
    TQHD_FIND_DATA first{};
    const int32_t code = TQHDC_GetFindFile(directory, &first);
    if (code == TQHD_E_NOTFOUND) return {};  // no visible entries
    if (code != TQHD_OK) throw CommandError("cannot list the directory", code);
    std::vector<TQHD_FIND_DATA> entries;
    for (const TQHD_FIND_DATA* record = &first; record != nullptr; record = record->pNext) {
        entries.push_back(*record);
        entries.back().pNext = nullptr;
    }
    return entries;
}

std::optional<TQHD_FIND_DATA> findEntry(const std::vector<TQHD_FIND_DATA>& entries, const std::string& name) {
    for (const TQHD_FIND_DATA& entry : entries)
        if (strcasecmp(entry.szName, name.c_str()) == 0) return entry;
    return std::nullopt;
}

}  // namespace nvrdisk
