#include "api_support.h"

namespace drelmo {

std::shared_ptr<CTQHardDisk> ListedDisk(const void* handle) {
    if (handle == nullptr) return nullptr;
    nvr::CAutoCri guard(GlobalLock());
    HardDiskEntry* entry = TheInventory().FindByHandle(handle);
    return entry == nullptr ? nullptr : entry->disk;
}

}  // namespace drelmo
