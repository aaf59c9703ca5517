#include "directory_lookup.h"

#include <cstring>

#include "library_state.h"
#include "rname.h"

namespace drelmo {

namespace {

constexpr size_t kDirectoryRNameMin = 5;
constexpr size_t kDirectoryRNameMax = 256;

// The first entry of `type` whose name equals `name` ignoring case.
const TQHD_FIND_DATA* FindEntry(CTQDirectory& dir, TQHD_FIND_DATA& first, int32_t type, const std::string& name) {
    if (dir.GetFindList(&first) != TQHD_OK) return nullptr;
    for (const TQHD_FIND_DATA* record = &first; record != nullptr; record = record->pNext) {
        if (record->lType == type && EqualIgnoringCase(record->szName, name)) return record;
    }
    return nullptr;
}

// The driver record of the disk whose "/N/V/" starts `trimmed`.
const DriverEntry* VolumeOf(int32_t driveNumber, const std::string& trimmed) {
    for (const DriverEntry& driver : TheInventory().Drivers()) {
        if (driver.driveNumber != driveNumber) continue;
        if (trimmed.starts_with(VolumePrefix(driveNumber, driver.info.lVolume))) return &driver;
    }
    return nullptr;
}

}  // namespace

std::shared_ptr<CTQDirectory> OpenDirectory(CTQHardDisk* disk, const TQHD_FIND_DATA* from, int32_t volume) {
    auto dir = std::make_shared<CTQDirectory>();
    if (dir->OpenFind(disk, from, volume) != TQHD_OK) return nullptr;
    return dir;
}

std::shared_ptr<CTQDirectory> OpenDirectoryByRName(const char* rname) {
    if (rname == nullptr) return nullptr;
    const size_t length = strnlen(rname, kDirectoryRNameMax + 1);
    if (length < kDirectoryRNameMin || length > kDirectoryRNameMax) return nullptr;
    WaitReady();
    nvr::CAutoCri guard(GlobalLock());
    auto match = TheInventory().FindDiskByRName(rname);
    if (!match) return nullptr;
    const std::string trimmed = TrimToLastSlash(match->normalized);
    if (trimmed.size() < kDirectoryRNameMin) return nullptr;
    const int32_t driveNumber = match->entry->device.info.hdindex;
    const DriverEntry* volume = VolumeOf(driveNumber, trimmed);
    if (volume == nullptr || volume->info.lPartition == TQHD_RAW_PARTITION) return nullptr;
    CTQHardDisk* disk = match->entry->disk.get();
    auto dir = OpenDirectory(disk, nullptr, volume->info.lVolume);
    if (!dir || match->slashes == 3) return dir;
    const std::string rest = trimmed.substr(VolumePrefix(driveNumber, volume->info.lVolume).size());
    for (const std::string& component : SplitComponents(rest)) {
        TQHD_FIND_DATA first{};
        const TQHD_FIND_DATA* found = FindEntry(*dir, first, TQHD_TYPE_DIRECTORY, component);
        if (found == nullptr) return nullptr;
        const TQHD_FIND_DATA record = *found;
        dir = OpenDirectory(disk, &record, -1);
        if (!dir) return nullptr;
    }
    return dir;
}

nvr::Result<FoundFile> FindFileByRName(const char* rname) {
    WaitReady();  // before the global lock: the first scan needs it
    nvr::CAutoCri guard(GlobalLock());
    auto dir = OpenDirectoryByRName(rname);
    if (!dir) return nvr::fail(TQHD_E_PARAM);
    const std::string normalized = NormalizeRName(rname);
    TQHD_FIND_DATA first{};
    const TQHD_FIND_DATA* found = FindEntry(*dir, first, TQHD_TYPE_FILE, LastComponent(normalized));
    if (found == nullptr) return nvr::fail(TQHD_E_PARAM);
    FoundFile result;
    result.record = *found;
    result.record.pNext = nullptr;
    for (const auto& entry : TheInventory().HardDisks()) {
        if (normalized.starts_with(DrivePrefix(entry->device.info.hdindex))) {
            result.disk = entry->disk;
            return result;
        }
    }
    return nvr::fail(TQHD_E_PARAM);
}

}  // namespace drelmo
