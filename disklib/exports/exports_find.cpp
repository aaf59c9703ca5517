// Exports that open and list directories.
#include "../core/api_support.h"
#include "../core/directory_lookup.h"
#include "tqhd.h"

using namespace drelmo;

extern "C" {

TQHD_HANDLE TQHD_OpenFindFile(TQHD_HANDLE disk, const TQHD_FIND_DATA* from, int32_t volume) {
    return Guarded<TQHD_HANDLE>(nullptr, [&]() -> TQHD_HANDLE {
        if (disk == nullptr || (from == nullptr && volume == -1)) return nullptr;
        {
            nvr::CAutoCri guard(GlobalLock());
            if (TheInventory().HardDisks().empty()) return nullptr;
        }
        WaitReady();
        nvr::CAutoCri guard(GlobalLock());
        auto listed = ListedDisk(disk);
        if (!listed) return nullptr;
        auto dir = OpenDirectory(listed.get(), from, volume);
        return dir ? Publish(std::move(dir)) : nullptr;
    });
}

int32_t TQHD_GetFindFile(TQHD_HANDLE dir, TQHD_FIND_DATA* first) {
    return Guarded<int32_t>(TQHD_E_NOMEM, [&] {
        if (dir == nullptr || first == nullptr) return TQHD_E_PARAM;
        auto object = FindAs<CTQDirectory>(Handles(), dir, kKindDirectory);
        if (!object) return TQHD_E_PARAM;
        return object->GetFindList(first);
    });
}

TQHD_HANDLE TQHD_OpenFindFileByRName(const char* rname) {
    return Guarded<TQHD_HANDLE>(nullptr, [&]() -> TQHD_HANDLE {
        auto dir = OpenDirectoryByRName(rname);
        return dir ? Publish(std::move(dir)) : nullptr;
    });
}

}  // extern "C"
