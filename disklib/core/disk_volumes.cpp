// The volumes of a disk: set-up from the partition entries, and inode and file access by volume
// number, each under the disk lock.
#include "disk_state.h"

namespace drelmo {

Volume* DiskState::VolumeAt(int32_t volume) {
    if (volume < 0 || static_cast<size_t>(volume) >= volumes_.size()) return nullptr;
    return volumes_[static_cast<size_t>(volume)].get();
}

// A volume whose set-up fails keeps its place in the list as a volume without file system, so
// volume numbers and the ordinals in driver records and RNames always name the same volume.
int32_t DiskState::GetPartitions(TQHD_DRIVER_INFO* list, int32_t* count) {
    nvr::CAutoCri guard(lock_);
    if (!drive_) return TQHD_E_NOTOPEN;
    ReleaseVolumes();
    volumes_.clear();
    int32_t ordinal = 0;
    for (int index = 0; index < lDriver_ && index < static_cast<int>(kPartitionEntryCount); ++index) {
        const PartitionEntry& entry = boot_.entries[static_cast<size_t>(index)];
        if (!entry.isUsable()) continue;
        auto volume = Volume::setUp(*drive_, index, entry);
        if (!volume && index == 0) {
            volumes_.clear();
            return volume.code();
        }
        if (list != nullptr) {
            list[ordinal] = TQHD_DRIVER_INFO{0, 0, volume ? ordinal : 5, volume ? index + 1 : 0};
        }
        volumes_.push_back(volume ? std::move(*volume) : std::make_unique<Volume>(index, entry.firstSector));
        ++ordinal;
    }
    if (count != nullptr) *count = ordinal;
    return TQHD_OK;
}

int32_t DiskState::VolumeCount() {
    nvr::CAutoCri guard(lock_);
    if (volumes_.empty() && drive_) (void)GetPartitions(nullptr, nullptr);
    return static_cast<int32_t>(volumes_.size());
}

nvr::Result<LookupResult> DiskState::Lookup(int32_t volume, uint32_t inode) {
    nvr::CAutoCri guard(lock_);
    Volume* target = VolumeAt(volume);
    if (!drive_ || target == nullptr) return nvr::fail(TQHD_E_NOTOPEN);
    return target->lookup(*drive_, inode);
}

int32_t DiskState::FileRead(int32_t volume, const Inode& inode, FilePosition& position, uint8_t* buffer,
                            uint32_t count) {
    nvr::CAutoCri guard(lock_);
    Volume* target = VolumeAt(volume);
    if (!drive_ || target == nullptr) return -1;
    return target->fileRead(*drive_, inode, position, buffer, count);
}

int32_t DiskState::FileSeek(int32_t volume, const Inode& inode, FilePosition& position, int32_t offset,
                            int32_t origin) {
    nvr::CAutoCri guard(lock_);
    Volume* target = VolumeAt(volume);
    if (target == nullptr) return TQHD_E_PARAM;
    return target->fileSeek(inode, position, offset, origin);
}

void DiskState::ClearInodeCaches() {
    nvr::CAutoCri guard(lock_);
    for (auto& volume : volumes_) volume->clearCache();
}

void DiskState::ReleaseVolumes() {
    nvr::CAutoCri guard(lock_);
    for (auto& volume : volumes_) volume->release();
}

std::vector<VolumeRecord> DiskState::VolumeRecords() {
    nvr::CAutoCri guard(lock_);
    if (volumes_.empty() && drive_) (void)GetPartitions(nullptr, nullptr);
    std::vector<VolumeRecord> records;
    for (const auto& volume : volumes_) {
        records.push_back(VolumeRecord{volume->entryIndex(), volume->firstSector(), volume->blockSize(),
                                       volume->superblockBytes(), volume->groupCount()});
    }
    return records;
}

}  // namespace drelmo
