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

// Groups whose old inode bitmaps are read as one batch of requests before they are rewritten.
constexpr uint32_t kBitmapBatch = 64;

// The old inode bitmaps of `count` groups from `first` on. A bitmap that cannot be read is left
// empty: the old inodes of its group are then left as they are.
std::vector<std::vector<uint8_t>> readOldInodeBitmaps(const VolumeWriter& volume, const Ext2Plan& plan, uint32_t first,
                                                      uint32_t count) {
    std::vector<std::vector<uint8_t>> bitmaps(count, std::vector<uint8_t>(plan.blockSize));
    std::vector<platform::ReadPiece> pieces;
    for (uint32_t index = 0; index < count; ++index) {
        const uint64_t block = plan.descriptors[first + index].inodeBitmap;
        pieces.push_back({volume.start() + block * plan.blockSize, bitmaps[index].data(), plan.blockSize});
    }
    // After a piece that failed, each bitmap is tried on its own, so one bad sector costs one group.
    for (size_t index = volume.drive().readPieces(pieces); index < count; ++index)
        if (volume.readBlocks(plan.descriptors[first + index].inodeBitmap, bitmaps[index]) != TQHD_OK)
            bitmaps[index].clear();
    return bitmaps;
}

int32_t clearOldInodes(const VolumeWriter& volume, const Ext2Plan& plan, uint32_t group,
                       const std::vector<uint8_t>& oldBitmap) {
    if (oldBitmap.empty()) return TQHD_OK;
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

// The block and inode bitmaps, in one request where the inode bitmap follows the block bitmap
// (as mke2fs places them), else in two.
int32_t writeBitmaps(const VolumeWriter& volume, const Ext2Plan& plan, uint32_t group) {
    uint32_t used = 0;
    const GroupDescriptorRecord& record = plan.descriptors[group];
    std::vector<uint8_t> blocks = blockBitmap(plan, group, used);
    const std::vector<uint8_t> inodes = inodeBitmap(plan, group);
    if (uint64_t{record.inodeBitmap} == uint64_t{record.blockBitmap} + 1 && blocks.size() == plan.blockSize) {
        blocks.insert(blocks.end(), inodes.begin(), inodes.end());
        return volume.writeBlocks(record.blockBitmap, blocks);
    }
    if (const int32_t result = volume.writeBlocks(record.blockBitmap, blocks); result != TQHD_OK) return result;
    return volume.writeBlocks(record.inodeBitmap, inodes);
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
                   uint32_t formatTime, const std::vector<uint8_t>& descriptorTable, const std::vector<uint8_t>& oldBitmap) {
    if (const int32_t result = clearOldInodes(volume, plan, group, oldBitmap); result != TQHD_OK) return result;
    if (const int32_t result = writeBitmaps(volume, plan, group); result != TQHD_OK) return result;
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
    std::vector<std::vector<uint8_t>> oldBitmaps;
    for (uint32_t group = 0; group < plan->groups; ++group) {
        if (const int32_t stop = hooks.interruption(); stop != TQHD_OK) return stop;
        if (group % kBitmapBatch == 0)
            oldBitmaps = readOldInodeBitmaps(volume, *plan, group, std::min(kBitmapBatch, plan->groups - group));
        result = writeGroup(volume, *plan, group, static_cast<uint32_t>(freeBlocks), formatTime, descriptorTable,
                            oldBitmaps[group % kBitmapBatch]);
        if (result != TQHD_OK) return result;
        hooks.progress(kInodesWritten + static_cast<int32_t>(uint64_t{group} * kGroupSpan / plan->groups));
    }
    return TQHD_OK;
}

}  // namespace drelmo
