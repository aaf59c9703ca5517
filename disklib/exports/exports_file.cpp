// Exports that open files and whole drives, and read, position and measure any handle.
#include "../core/api_support.h"
#include "../core/directory_lookup.h"
#include "../core/disk_file.h"
#include "../core/file.h"
#include "../core/rname.h"
#include "tqhd.h"

using namespace drelmo;

namespace {

TQHD_HANDLE OpenFileOnDisk(CTQHardDisk* disk, const TQHD_FIND_DATA* record) {
    auto file = std::make_shared<CTQFile>();
    if (file->OpenFile(disk, record) != TQHD_OK) return nullptr;
    return Publish(std::move(file));
}

TQHD_HANDLE OpenWholeDisk(const char* rname) {
    for (const auto& entry : TheInventory().HardDisks()) {
        if (DrivePrefix(entry->device.info.hdindex) != rname) continue;
        auto file = std::make_shared<CTQDiskFile>();
        (void)file->OpenFile(entry->disk.get(), nullptr);  // handed out also while the disk formats
        return Publish(std::move(file));
    }
    return nullptr;
}

}  // namespace

extern "C" {

TQHD_HANDLE TQHD_OpenFileByFind(TQHD_HANDLE disk, const TQHD_FIND_DATA* record) {
    return Guarded<TQHD_HANDLE>(nullptr, [&]() -> TQHD_HANDLE {
        if (disk == nullptr || record == nullptr) return nullptr;
        WaitReady();
        nvr::CAutoCri guard(GlobalLock());
        auto listed = ListedDisk(disk);
        return listed ? OpenFileOnDisk(listed.get(), record) : nullptr;
    });
}

TQHD_HANDLE TQHD_OpenFileByRName(const char* rname) {
    return Guarded<TQHD_HANDLE>(nullptr, [&]() -> TQHD_HANDLE {
        if (rname == nullptr) return nullptr;
        WaitReady();
        nvr::CAutoCri guard(GlobalLock());
        if (TQHD_HANDLE whole = OpenWholeDisk(rname)) return whole;
        auto found = FindFileByRName(rname);
        if (!found) return nullptr;
        return OpenFileOnDisk(found->disk.get(), &found->record);
    });
}

int32_t TQHD_ReadFile(TQHD_HANDLE file, void* buffer, int32_t length) {
    return Guarded<int32_t>(-1, [&] {
        if (file == nullptr || buffer == nullptr || length == 0) return -1;
        auto object = Handles().Find(file);
        return object ? object->Read(buffer, length) : -1;
    });
}

int32_t TQHD_SeekFile(TQHD_HANDLE file, int32_t offset, int32_t origin) {
    return Guarded<int32_t>(TQHD_E_NOMEM, [&] {
        if (file == nullptr || origin < 0 || origin > 2) return TQHD_E_PARAM;
        auto object = Handles().Find(file);
        return object ? object->Seek(offset, origin) : TQHD_E_BADHANDLE;
    });
}

int64_t TQHD_GetFileLength(TQHD_HANDLE file) {
    return Guarded<int64_t>(-1, [&]() -> int64_t {
        auto object = Handles().Find(file);
        return object ? object->GetLength() : -1;
    });
}

int64_t TQHD_GetFileCurrentPosition(TQHD_HANDLE file) {
    return Guarded<int64_t>(-1, [&]() -> int64_t {
        auto object = Handles().Find(file);
        return object ? object->GetPosition() : -1;
    });
}

}  // extern "C"
