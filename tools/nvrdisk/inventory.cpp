// Reads the disk library's drive lists into plain records.
#include "inventory.h"

#include <algorithm>
#include <cstring>

#include "command_error.h"

namespace nvrdisk {
namespace {

using ListFunction = int32_t (*)(TQHD_DISK_INFO*, unsigned*);

std::vector<TQHD_DISK_INFO> readList(ListFunction function, const char* what) {
    unsigned count = 0;  // 0 with no list: the library reports how many there are
    int32_t code = function(nullptr, &count);
    if (code != TQHD_OK) throw CommandError(std::string("cannot list ") + what, code);
    std::vector<TQHD_DISK_INFO> records(count);
    if (count == 0) return records;
    code = function(records.data(), &count);
    if (code != TQHD_OK) throw CommandError(std::string("cannot list ") + what, code);
    records.resize(count);
    return records;
}

std::string deviceName(const TQHD_DISK_INFO& info) {
    const char* name = TQHDC_GetDeviceInfo(&info, 1);
    return name == nullptr ? std::string() : std::string(name);
}

}  // namespace

Inventory readInventory() {
    Inventory inventory;
    for (const TQHD_DISK_INFO& info : readList(TQHDC_GetHardDiskList, "NVR disks"))
        inventory.nvrDisks.push_back({info, deviceName(info)});
    inventory.otherDrives = readList(TQHDC_GetDiskList, "other drives");
    return inventory;
}

std::vector<TQHD_DRIVER_INFO> readVolumes(TQHDC_HANDLE disk) {
    std::vector<TQHD_DRIVER_INFO> volumes(4);  // no disk has more than four partition entries
    int32_t count = 0;
    const int32_t code = TQHDC_GetDriverList(disk, volumes.data(), &count);
    if (code != TQHD_OK) throw CommandError("cannot list the disk's volumes", code);
    volumes.resize(static_cast<size_t>(std::clamp(count, 0, 4)));
    return volumes;
}

std::string volumeKind(const TQHD_DRIVER_INFO& volume) {
    return volume.lPartition == TQHD_RAW_PARTITION ? "raw data area" : "ext2 volume";
}

}  // namespace nvrdisk
