// The inventory of drives: recognised NVR disks with their volumes and owner registries, and
// drives that are present but not usable. Filled by scans of drives 1 to 25 and kept current by
// removal checks.
#pragma once

#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "hard_disk.h"
#include "tqhd_types.h"

namespace drelmo {

struct OwnerEntry {
    std::string name;
    int32_t count = 0;
};

struct HardDiskEntry {
    std::shared_ptr<CTQHardDisk> disk;
    TQHD_DEVICE_INFO device{};  // name, then the drive record; stays at this address while listed
    std::vector<OwnerEntry> owners;
};

struct DriverEntry {
    int32_t driveNumber = 0;
    TQHD_DRIVER_INFO info{};
};

struct RNameMatch {
    HardDiskEntry* entry = nullptr;
    std::string normalized;
    int slashes = 0;
    size_t position = 0;
};

class Inventory {
public:
    static constexpr int kFirstDrive = 1;
    static constexpr int kLastDrive = 25;

    // Probes every drive number not yet in a table and lists what it finds. Scans never run at
    // the same time, so no drive is listed twice.
    void Scan();
    // Probes every listed drive again and drops the ones that are gone or no longer NVR disks.
    // Removed disks are retired after the tables are updated and the global lock is released, so
    // waiting for their workers can never deadlock with a worker that needs the lock.
    void RemovalCheck();
    // Forgets everything (library unload).
    void Clear();

    // The lookups below expect the caller to hold the global lock while it uses the result.
    std::optional<RNameMatch> FindDiskByRName(const char* rname);
    HardDiskEntry* FindByDriveNumber(int32_t driveNumber);
    HardDiskEntry* FindByHandle(const void* handle);
    HardDiskEntry* FindByState(const DiskState* state);

    std::vector<std::unique_ptr<HardDiskEntry>>& HardDisks() { return hardDisks_; }
    std::vector<TQHD_DISK_INFO>& OtherDisks() { return otherDisks_; }
    std::vector<DriverEntry>& Drivers() { return drivers_; }

    void RegisterOwner(const DiskState* state, const std::string& name);
    void UnregisterOwner(const DiskState* state, const std::string& name);

private:
    bool Listed(int driveNumber);
    void ProbeDrive(int driveNumber);
    void ListDisk(std::shared_ptr<CTQHardDisk> disk, const TQHD_DISK_INFO& info,
                  const std::vector<TQHD_DRIVER_INFO>& volumes);
    int32_t GroupFor(const std::string& name) const;
    bool StillPresent(const TQHD_DISK_INFO& info, int32_t wanted);

    std::mutex scanMutex_;  // taken before the global lock
    std::shared_ptr<CTQHardDisk> spare_;
    std::vector<std::unique_ptr<HardDiskEntry>> hardDisks_;
    std::vector<TQHD_DISK_INFO> otherDisks_;
    std::vector<DriverEntry> drivers_;
};

}  // namespace drelmo
