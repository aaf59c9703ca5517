// A snapshot of the drives the disk library lists, for `list` and `watch`, read through the
// client library (directly, or from the service).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tqhdc.h"

namespace nvrdisk {

struct NvrDisk {
    TQHD_DISK_INFO info{};
    std::string name;
};

struct Inventory {
    std::vector<NvrDisk> nvrDisks;             // recognised NVR disks, in the library's order
    std::vector<TQHD_DISK_INFO> otherDrives;   // present drives that are not NVR disks
};

// Asks the library for both lists (which also scans for newly attached drives).
Inventory readInventory();
// The volumes of a listed disk (at most four).
std::vector<TQHD_DRIVER_INFO> readVolumes(TQHDC_HANDLE disk);
// "ext2 volume" or "raw data area" for a volume record.
std::string volumeKind(const TQHD_DRIVER_INFO& volume);

}  // namespace nvrdisk
