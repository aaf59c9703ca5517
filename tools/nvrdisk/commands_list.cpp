// `nvrdisk list`: the NVR disks with their volumes, then the other drives.
#include <algorithm>
#include <cstdint>
#include <iostream>

#include "commands.h"
#include "device_directory_option.h"
#include "format.h"
#include "inventory.h"
#include "library_handle.h"

namespace nvrdisk {
namespace {

std::string diskSize(TQHDC_HANDLE disk) {
    const int64_t length = TQHDC_GetFileLength(disk);
    return length < 0 ? "size unknown" : humanSize(static_cast<uint64_t>(length));
}

void printVolumes(TQHDC_HANDLE disk, int32_t drive) {
    for (const TQHD_DRIVER_INFO& volume : readVolumes(disk)) {
        std::cout << "    volume " << volume.lVolume << "  partition " << volume.lPartition << "  "
                  << volumeKind(volume);
        if (volume.lPartition != TQHD_RAW_PARTITION) std::cout << "  /" << drive << "/" << volume.lVolume << "/";
        std::cout << "\n";
    }
}

void printNvrDisk(const NvrDisk& disk) {
    const LibraryHandle handle(TQHDC_OpenHardDisk(&disk.info));
    std::cout << "  drive " << disk.info.hdindex << "  \"" << disk.name << "\"  group " << disk.info.lGroup << "  "
              << (handle ? diskSize(handle.get()) : "no longer listed") << "\n";
    if (handle) printVolumes(handle.get(), disk.info.hdindex);
}

void printOtherDrive(const TQHD_DISK_INFO& info) {
    const uint64_t capacity = static_cast<uint64_t>(std::max(info.lSize, 0)) << 20;  // lSize is in MiB
    std::cout << "  drive " << info.hdindex << "  " << humanSize(capacity) << "\n";
}

}  // namespace

void listDrives() {
    const Inventory inventory = readInventory();
    if (inventory.nvrDisks.empty() && inventory.otherDrives.empty()) {
        std::cout << "No drives attached (looked in " << currentDeviceDirectory() << ", drives 1 to 25).\n";
        return;
    }
    std::cout << "NVR disks:\n";
    if (inventory.nvrDisks.empty()) std::cout << "  none\n";
    for (const NvrDisk& disk : inventory.nvrDisks) printNvrDisk(disk);
    std::cout << "Other drives:\n";
    if (inventory.otherDrives.empty()) std::cout << "  none\n";
    for (const TQHD_DISK_INFO& info : inventory.otherDrives) printOtherDrive(info);
}

}  // namespace nvrdisk
