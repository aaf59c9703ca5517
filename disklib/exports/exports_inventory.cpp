// Exports that read the inventory: disk lists, disk handles, device and driver records.
#include <cstring>

#include "../core/api_support.h"
#include "../core/rname.h"
#include "tqhd.h"

using namespace drelmo;

namespace {

int32_t CopyDiskList(const std::vector<TQHD_DISK_INFO>& source, TQHD_DISK_INFO* list, unsigned* count) {
    size_t n = source.size();
    if (*count != 0 && *count < n) n = *count;
    if (list != nullptr) std::copy_n(source.begin(), n, list);
    *count = static_cast<unsigned>(n);
    return TQHD_OK;
}

std::vector<TQHD_DISK_INFO> ListedRecords() {
    std::vector<TQHD_DISK_INFO> records;
    for (const auto& entry : TheInventory().HardDisks()) records.push_back(entry->device.info);
    return records;
}

int32_t FillDriverList(int32_t driveNumber, TQHD_DRIVER_INFO* list, int32_t* count) {
    *count = 0;
    for (const DriverEntry& driver : TheInventory().Drivers()) {
        if (driver.driveNumber != driveNumber) continue;
        if (list != nullptr) list[*count] = driver.info;
        *count += 1;
    }
    return TQHD_OK;
}

}  // namespace

extern "C" {

int32_t TQHD_GetHardDiskList(TQHD_DISK_INFO* list, unsigned* count) {
    return Guarded<int32_t>(TQHD_E_NOMEM, [&] {
        if (count == nullptr) return TQHD_E_PARAM;
        WaitReady();
        TheInventory().Scan();
        nvr::CAutoCri guard(GlobalLock());
        return CopyDiskList(ListedRecords(), list, count);
    });
}

int32_t TQHD_GetDiskList(TQHD_DISK_INFO* list, unsigned* count) {
    return Guarded<int32_t>(TQHD_E_NOMEM, [&] {
        if (count == nullptr) return TQHD_E_PARAM;
        WaitReady();
        nvr::CAutoCri guard(GlobalLock());
        return CopyDiskList(TheInventory().OtherDisks(), list, count);
    });
}

TQHD_HANDLE TQHD_OpenHardDisk(const TQHD_DISK_INFO* info) {
    return Guarded<TQHD_HANDLE>(nullptr, [&]() -> TQHD_HANDLE {
        WaitReady();
        nvr::CAutoCri guard(GlobalLock());
        if (info == nullptr) return nullptr;
        HardDiskEntry* entry = TheInventory().FindByDriveNumber(info->hdindex);
        return entry == nullptr ? nullptr : entry->disk.get();
    });
}

TQHD_HANDLE TQHD_OpenHardDiskByRName(const char* rname) {
    return Guarded<TQHD_HANDLE>(nullptr, [&]() -> TQHD_HANDLE {
        WaitReady();
        nvr::CAutoCri guard(GlobalLock());
        auto match = TheInventory().FindDiskByRName(rname);
        return match ? match->entry->disk.get() : nullptr;
    });
}

TQHD_HANDLE TQHD_OpenHardDiskByDir(const char* path) {
    if (path != nullptr) {
        const size_t length = strnlen(path, 513);
        if (length >= 3 && length <= 512) WaitReady();
    }
    return nullptr;
}

const TQHD_DEVICE_INFO* TQHD_GetDeviceInfo(const TQHD_DISK_INFO* info, int32_t kind) {
    return Guarded<const TQHD_DEVICE_INFO*>(nullptr, [&]() -> const TQHD_DEVICE_INFO* {
        WaitReady();
        nvr::CAutoCri guard(GlobalLock());
        if (kind != 1 || info == nullptr) return nullptr;
        HardDiskEntry* entry = TheInventory().FindByDriveNumber(info->hdindex);
        return entry == nullptr ? nullptr : &entry->device;
    });
}

const TQHD_DEVICE_INFO* TQHD_GetDeviceInfoByRName(const char* rname, int32_t kind) {
    return Guarded<const TQHD_DEVICE_INFO*>(nullptr, [&]() -> const TQHD_DEVICE_INFO* {
        WaitReady();
        nvr::CAutoCri guard(GlobalLock());
        if (kind != 1) return nullptr;
        auto match = TheInventory().FindDiskByRName(rname);
        return match ? &match->entry->device : nullptr;
    });
}

int32_t TQHD_GetDriverList(TQHD_HANDLE disk, TQHD_DRIVER_INFO* list, int32_t* count) {
    return Guarded<int32_t>(TQHD_E_NOMEM, [&] {
        if (disk == nullptr || count == nullptr) return TQHD_E_PARAM;
        {
            nvr::CAutoCri guard(GlobalLock());
            if (TheInventory().HardDisks().empty()) return TQHD_E_PARAM;
        }
        WaitReady();
        nvr::CAutoCri guard(GlobalLock());
        HardDiskEntry* entry = TheInventory().FindByHandle(disk);
        if (entry == nullptr) return TQHD_E_BADHANDLE;
        return FillDriverList(entry->device.info.hdindex, list, count);
    });
}

int32_t TQHD_GetDriverListByRName(const char* rname, TQHD_DRIVER_INFO* list, int32_t* count) {
    return Guarded<int32_t>(TQHD_E_NOMEM, [&] {
        if (rname == nullptr || rname[0] != '/' || count == nullptr) return TQHD_E_PARAM;
        WaitReady();
        nvr::CAutoCri guard(GlobalLock());
        auto match = TheInventory().FindDiskByRName(rname);
        if (!match) return TQHD_E_PARAM;
        return FillDriverList(match->entry->device.info.hdindex, list, count);
    });
}

}  // extern "C"
