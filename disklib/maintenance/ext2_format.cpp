#include "ext2_format.h"

#include <algorithm>

#include "ext2_format_plan.h"
#include "ext2_layout.h"
#include "nvr/byte_reader.h"

namespace drelmo {

namespace {

constexpr int32_t kInodesWritten = 0x200000A;
constexpr int32_t kGroupSpan = 90;
constexpr uint32_t kProbeBlockSize = 1024;

// The inode-table blocks of a group that hold inodes its old inode bitmap marks in use, except
// those the new inode image of group 0 replaces: zeroing them makes the old inodes vanish at a
// cost bounded by what was in use, not by the size of the volume.
std::vector<bool> usedInodeBlocks(const Ext2Plan& plan, uint32_t group, const std::vector<uint8_t>& oldBitmap) {
    std::vector<bool> blocks(plan.inodeTableBlocks, false);
    for (uint32_t inode = 0; inode < plan.inodesPerGroup; ++inode) {
        if (((oldBitmap[inode / 8] >> (inode % 8)) & 1u) == 0) continue;
        const uint32_t block = static_cast<uint32_t>(uint64_t{inode} * plan.inodeSize / plan.blockSize);
        if (group == 0 && block < plan.inodeImageBlocks) continue;
        blocks[block] = true;
    }
    return blocks;
}

int32_t clearOldInodes(const VolumeWriter& volume, const Ext2Plan& plan, uint32_t group) {
    std::vector<uint8_t> oldBitmap(plan.blockSize);
    if (volume.readBlocks(plan.descriptors[group].inodeBitmap, oldBitmap) != TQHD_OK) return TQHD_OK;
    const std::vector<bool> blocks = usedInodeBlocks(plan, group, oldBitmap);
    std::vector<uint8_t> zeros;
    for (uint32_t first = 0; first < blocks.size();) {
        if (!blocks[first]) {
            ++first;
            continue;
        }
        uint32_t end = first;
        while (end < blocks.size() && blocks[end]) ++end;
        zeros.assign(uint64_t{end - first} * plan.blockSize, 0);
        const int32_t result = volume.writeBlocks(uint64_t{plan.descriptors[group].inodeTable} + first, zeros);
        if (result != TQHD_OK) return result;
        first = end;
    }
    return TQHD_OK;
}

int32_t writeBackup(const VolumeWriter& volume, const Ext2Plan& plan, uint32_t group, uint32_t freeBlocks,
                    uint32_t formatTime, const std::vector<uint8_t>& descriptorTable) {
    const std::vector<uint8_t> superblock = superblockImage(plan, freeBlocks, formatTime, group);
    const uint64_t start = plan.groupStart(group);
    const uint64_t offset = group == 0 ? kSuperblockOffset : start * plan.blockSize;
    if (const int32_t result = volume.writeAt(offset, superblock); result != TQHD_OK) return result;
    return volume.writeBlocks(start + 1, descriptorTable);
}

int32_t writeGroup(const VolumeWriter& volume, const Ext2Plan& plan, uint32_t group, uint32_t freeBlocks,
                   uint32_t formatTime, const std::vector<uint8_t>& descriptorTable) {
    if (const int32_t result = clearOldInodes(volume, plan, group); result != TQHD_OK) return result;
    uint32_t used = 0;
    const GroupDescriptorRecord& record = plan.descriptors[group];
    if (const int32_t result = volume.writeBlocks(record.blockBitmap, blockBitmap(plan, group, used)); result != TQHD_OK)
        return result;
    if (const int32_t result = volume.writeBlocks(record.inodeBitmap, inodeBitmap(plan, group)); result != TQHD_OK)
        return result;
    if (!plan.backupGroup(group)) return TQHD_OK;
    return writeBackup(volume, plan, group, freeBlocks, formatTime, descriptorTable);
}

}  // namespace

int32_t formatExt2Volume(platform::Drive& drive, uint64_t start, uint32_t formatTime, const FormatHooks& hooks) {
    auto plan = readExt2Plan(VolumeWriter(drive, start, kProbeBlockSize));
    if (!plan) return plan.code();
    const VolumeWriter volume(drive, start, plan->blockSize);
    std::vector<uint32_t> used(plan->groups);
    uint64_t freeBlocks = 0;
    for (uint32_t group = 0; group < plan->groups; ++group) {
        (void)blockBitmap(*plan, group, used[group]);
        freeBlocks += plan->groupBlocks(group) - used[group];
    }
    const std::vector<uint8_t> descriptorTable = descriptorTableImage(*plan, used);
    int32_t result = volume.writeBlocks(plan->descriptors[0].inodeTable, inodeImage(*plan, formatTime));
    if (result == TQHD_OK) result = volume.writeBlocks(plan->rootBlock, directoryImage(*plan));
    if (result != TQHD_OK) return result;
    hooks.progress(kInodesWritten);
    for (uint32_t group = 0; group < plan->groups; ++group) {
        if (const int32_t stop = hooks.interruption(); stop != TQHD_OK) return stop;
        result = writeGroup(volume, *plan, group, static_cast<uint32_t>(freeBlocks), formatTime, descriptorTable);
        if (result != TQHD_OK) return result;
        hooks.progress(kInodesWritten + static_cast<int32_t>(uint64_t{group} * kGroupSpan / plan->groups));
    }
    return TQHD_OK;
}

}  // namespace drelmo
