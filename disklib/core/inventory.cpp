#include "inventory.h"

#include <algorithm>
#include <cstring>

#include "library_state.h"
#include "platform/debug.h"
#include "rname.h"

namespace drelmo {

namespace {
constexpr int32_t kFailedVolume = 5;
constexpr int32_t kRecognisedSize = 80;
}  // namespace

bool Inventory::Listed(int driveNumber) {
    nvr::CAutoCri guard(GlobalLock());
    if (FindByDriveNumber(driveNumber) != nullptr) return true;
    return std::any_of(otherDisks_.begin(), otherDisks_.end(),
                       [&](const TQHD_DISK_INFO& info) { return info.hdindex == driveNumber; });
}

void Inventory::Scan() {
    std::lock_guard scanning(scanMutex_);
    for (int number = kFirstDrive; number <= kLastDrive; ++number) {
        if (!Listed(number)) ProbeDrive(number);
    }
    spare_.reset();
}

void Inventory::ProbeDrive(int driveNumber) {
    TQHD_DISK_INFO info{};
    info.lSize = kRecognisedSize;
    info.hdindex = driveNumber;
    if (!spare_) spare_ = std::make_shared<CTQHardDisk>();
    const int32_t probed = spare_->OpenDisk(&info);
    if (probed != TQHD_OK) {
        platform::debugOut("# test # 打开磁盘%d失败, 错误号码 = 0x%X\n", driveNumber, static_cast<unsigned>(probed));
        if (probed == TQHD_E_NOTFOUND) return;
        nvr::CAutoCri guard(GlobalLock());
        otherDisks_.push_back(info);
        return;
    }
    platform::debugOut("# test # 打开磁盘%d成功\n", driveNumber);
    int32_t count = spare_->State()->EntryScanLimit();
    std::vector<TQHD_DRIVER_INFO> volumes(static_cast<size_t>(count));
    const int32_t partitions = spare_->GetPartitions(volumes.data(), &count);
    if (partitions != TQHD_OK || count == 0) {
        platform::debugOut("# test # 获取分区信息失败, 错误号码 = 0x%X, hdindex=%d.\n",
                           static_cast<unsigned>(partitions), driveNumber);
        {
            nvr::CAutoCri guard(GlobalLock());
            otherDisks_.push_back(info);
        }
        spare_.reset();
        return;
    }
    platform::debugOut("# test # 获取分区信息成功， lDriver = %d\n", count);
    volumes.resize(static_cast<size_t>(count));
    ListDisk(std::move(spare_), info, volumes);
}

int32_t Inventory::GroupFor(const std::string& name) const {
    int32_t largest = -1;
    for (const auto& entry : hardDisks_) {
        if (!name.empty() && name == entry->device.szName) return entry->device.info.lGroup;
        largest = std::max(largest, entry->device.info.lGroup);
    }
    return largest + 1;
}

void Inventory::ListDisk(std::shared_ptr<CTQHardDisk> disk, const TQHD_DISK_INFO& info,
                         const std::vector<TQHD_DRIVER_INFO>& volumes) {
    const std::string name = disk->State()->ReadName();
    nvr::CAutoCri guard(GlobalLock());
    for (const TQHD_DRIVER_INFO& volume : volumes) {
        if (volume.lVolume != kFailedVolume) drivers_.push_back(DriverEntry{info.hdindex, volume});
    }
    auto entry = std::make_unique<HardDiskEntry>();
    std::memcpy(entry->device.szName, name.data(), std::min(name.size(), sizeof entry->device.szName));
    entry->device.info = info;
    entry->device.info.lGroup = GroupFor(name);
    entry->disk = disk;
    Handles().Add(std::move(disk));
    hardDisks_.push_back(std::move(entry));
}

bool Inventory::StillPresent(const TQHD_DISK_INFO& info, int32_t wanted) {
    CTQHardDisk probe;
    TQHD_DISK_INFO copy = info;
    const int32_t result = probe.OpenDisk(&copy);
    probe.State()->CloseDrive();
    return wanted == TQHD_OK ? result == TQHD_OK : result != TQHD_E_NOTFOUND;
}

void Inventory::RemovalCheck() {
    std::lock_guard scanning(scanMutex_);
    std::vector<std::shared_ptr<CTQHardDisk>> removed;
    {
        nvr::CAutoCri guard(GlobalLock());
        for (size_t i = 0; i < hardDisks_.size();) {
            HardDiskEntry& entry = *hardDisks_[i];
            if (StillPresent(entry.device.info, TQHD_OK)) {
                ++i;
                continue;
            }
            const int32_t number = entry.device.info.hdindex;
            std::erase_if(drivers_, [&](const DriverEntry& driver) { return driver.driveNumber == number; });
            Handles().Remove(entry.disk.get());
            removed.push_back(std::move(entry.disk));
            hardDisks_.erase(hardDisks_.begin() + static_cast<ptrdiff_t>(i));
        }
        std::erase_if(otherDisks_, [&](const TQHD_DISK_INFO& info) { return !StillPresent(info, TQHD_E_NOTFOUND); });
    }
    removed.clear();  // retires the disks: waits for their workers, outside the global lock
}

void Inventory::Clear() {
    std::lock_guard scanning(scanMutex_);
    std::vector<std::unique_ptr<HardDiskEntry>> disks;
    {
        nvr::CAutoCri guard(GlobalLock());
        disks.swap(hardDisks_);
        otherDisks_.clear();
        drivers_.clear();
        spare_.reset();
    }
    disks.clear();
}

std::optional<RNameMatch> Inventory::FindDiskByRName(const char* rname) {
    if (rname == nullptr) return std::nullopt;
    const size_t length = strnlen(rname, kRNameMax + 1);
    if (length < 3 || length > kRNameMax) return std::nullopt;
    nvr::CAutoCri guard(GlobalLock());
    if (hardDisks_.empty()) return std::nullopt;
    RNameMatch match;
    match.normalized = NormalizeRName(std::string_view(rname, length));
    match.slashes = CountSlashes(match.normalized);
    if (match.normalized.front() != '/' || match.slashes < 2) return std::nullopt;
    const std::string_view asPassed(rname, length);
    for (size_t position = 0; position < hardDisks_.size(); ++position) {
        if (asPassed.starts_with(DrivePrefix(hardDisks_[position]->device.info.hdindex))) {
            match.entry = hardDisks_[position].get();
            match.position = position;
            return match;
        }
    }
    return std::nullopt;
}

HardDiskEntry* Inventory::FindByDriveNumber(int32_t driveNumber) {
    nvr::CAutoCri guard(GlobalLock());
    for (auto& entry : hardDisks_) {
        if (entry->device.info.hdindex == driveNumber) return entry.get();
    }
    return nullptr;
}

HardDiskEntry* Inventory::FindByHandle(const void* handle) {
    nvr::CAutoCri guard(GlobalLock());
    for (auto& entry : hardDisks_) {
        if (entry->disk.get() == handle) return entry.get();
    }
    return nullptr;
}

HardDiskEntry* Inventory::FindByState(const DiskState* state) {
    nvr::CAutoCri guard(GlobalLock());
    for (auto& entry : hardDisks_) {
        if (entry->disk->State().get() == state) return entry.get();
    }
    return nullptr;
}

void Inventory::RegisterOwner(const DiskState* state, const std::string& name) {
    nvr::CAutoCri guard(GlobalLock());
    HardDiskEntry* entry = FindByState(state);
    if (entry == nullptr) return;
    for (OwnerEntry& owner : entry->owners) {
        if (owner.name == name) {
            owner.count += 1;
            return;
        }
    }
    entry->owners.push_back(OwnerEntry{name, 1});
}

void Inventory::UnregisterOwner(const DiskState* state, const std::string& name) {
    nvr::CAutoCri guard(GlobalLock());
    HardDiskEntry* entry = FindByState(state);
    if (entry == nullptr) return;
    auto owner = std::find_if(entry->owners.begin(), entry->owners.end(),
                              [&](const OwnerEntry& candidate) { return candidate.name == name; });
    if (owner == entry->owners.end()) return;
    if (--owner->count <= 0) entry->owners.erase(owner);
}

}  // namespace drelmo
