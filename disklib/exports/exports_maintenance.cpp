// Exports for disk maintenance: whole-drive copy and formatting.
#include "../core/api_support.h"
#include "../maintenance/maintenance.h"
#include "rname.h"
#include "tqhd.h"

using namespace drelmo;

namespace {

std::vector<OwnerCount> OwnersOf(const HardDiskEntry& entry) {
    std::vector<OwnerCount> owners;
    for (const OwnerEntry& owner : entry.owners) owners.push_back(OwnerCount{owner.name, owner.count});
    return owners;
}

// Looks the disk up and starts the format under the global lock; a worker thread of an earlier
// format is waited for only after the lock is released.
TQHD_HANDLE StartFormatOn(HardDiskEntry* entry, int32_t* result, uint8_t force, char* text, int32_t textSize,
                          std::unique_ptr<platform::MessageThread>& spent) {
    auto setResult = [&](int32_t code) {
        if (result != nullptr) *result = code;
    };
    if (entry == nullptr) {
        setResult(TQHD_E_UNAVAILABLE);
        return nullptr;
    }
    if (!entry->owners.empty() && force == 0) {
        setResult(TQHD_E_INUSE);
        AppendBusyList(text, textSize, OwnersOf(*entry));
        return nullptr;
    }
    setResult(StartFormat(*entry->disk->State(), spent));
    return entry->disk.get();
}

}  // namespace

extern "C" {

TQHD_HANDLE TQHD_DiskCopy(int32_t source, int32_t target, int32_t* result) {
    std::unique_ptr<platform::MessageThread> spent;
    return Guarded<TQHD_HANDLE>(nullptr, [&]() -> TQHD_HANDLE {
        if (source == 0 || target == 0) return nullptr;
        WaitReady();
        nvr::CAutoCri guard(GlobalLock());
        auto sourceMatch = TheInventory().FindDiskByRName(DrivePrefix(source).c_str());
        if (!sourceMatch) {
            if (result != nullptr) *result = TQHD_E_UNAVAILABLE;
            return nullptr;
        }
        HardDiskEntry* targetEntry = TheInventory().FindByDriveNumber(target);
        HardDiskEntry* runner = targetEntry != nullptr ? targetEntry : sourceMatch->entry;
        const int32_t started = StartCopy(*runner->disk->State(), source, target, spent);
        if (result != nullptr) *result = started;
        return runner->disk.get();
    });
}

TQHD_HANDLE TQHD_FormatHDDByFind(const TQHD_DISK_INFO* info, int32_t* result, uint8_t force, char* text,
                                 int32_t textSize) {
    std::unique_ptr<platform::MessageThread> spent;
    return Guarded<TQHD_HANDLE>(nullptr, [&]() -> TQHD_HANDLE {
        WaitReady();
        nvr::CAutoCri guard(GlobalLock());
        HardDiskEntry* entry = info != nullptr ? TheInventory().FindByDriveNumber(info->hdindex) : nullptr;
        return StartFormatOn(entry, result, force, text, textSize, spent);
    });
}

TQHD_HANDLE TQHD_FormatHDDByRName(const char* rname, int32_t* result, uint8_t force, char* text, int32_t textSize) {
    std::unique_ptr<platform::MessageThread> spent;
    return Guarded<TQHD_HANDLE>(nullptr, [&]() -> TQHD_HANDLE {
        WaitReady();
        nvr::CAutoCri guard(GlobalLock());
        auto match = TheInventory().FindDiskByRName(rname);
        return StartFormatOn(match ? match->entry : nullptr, result, force, text, textSize, spent);
    });
}

}  // extern "C"
