#include "ext2_format_plan.h"

#include <algorithm>

#include "ext2_layout.h"
#include "nvr/byte_reader.h"

namespace drelmo {

namespace {

constexpr uint32_t kIncompatFileType = 0x2;
constexpr uint32_t kRoCompatSparseSuper = 0x1;
constexpr uint32_t kRoCompatLargeFile = 0x2;
constexpr uint32_t kLostAndFoundBytes = 16384;
constexpr uint32_t kMaximumLostAndFoundBlocks = 12;  // direct blocks only

uint32_t ceilDiv(uint64_t value, uint64_t divisor) { return static_cast<uint32_t>((value + divisor - 1) / divisor); }

bool isPowerOf(uint32_t value, uint32_t base) {
    while (value > 1 && value % base == 0) value /= base;
    return value == 1;
}

void decodeGeometry(Ext2Plan& plan) {
    nvr::ByteReader reader(plan.superblock);
    plan.inodesCount = reader.u32le(0);
    plan.blocksCount = reader.u32le(4);
    plan.firstDataBlock = reader.u32le(20);
    plan.blockSize = 1024u << (reader.u32le(24) % 32);
    plan.blocksPerGroup = reader.u32le(32);
    plan.inodesPerGroup = reader.u32le(40);
    plan.inodeSize = reader.u32le(76) == 0 ? 128 : reader.u16le(88);  // revision 0 has 128-byte inodes
    plan.sparseSuper = (reader.u32le(100) & kRoCompatSparseSuper) != 0;
    plan.fileType = (reader.u32le(96) & kIncompatFileType) != 0;
}

// Features beyond plain ext2 change structures this formatter writes (descriptor size,
// checksums, extents, journals replayed): such volumes are refused rather than damaged.
bool supportedFeatures(const std::vector<uint8_t>& superblock) {
    nvr::ByteReader reader(superblock);
    const uint32_t compat = reader.u32le(92);
    const uint32_t incompat = reader.u32le(96);
    const uint32_t readOnlyCompat = reader.u32le(100);
    const uint32_t firstInode = reader.u32le(76) == 0 ? 11 : reader.u32le(84);
    const uint32_t hasJournal = 0x4;
    return (compat & hasJournal) == 0 && (incompat & ~kIncompatFileType) == 0 &&
           (readOnlyCompat & ~(kRoCompatSparseSuper | kRoCompatLargeFile)) == 0 && firstInode == kLostAndFoundInode;
}

bool validGeometry(const Ext2Plan& plan) {
    if (decodeSuperblock(plan.superblock).magic != kExt2Magic) return false;
    if (plan.blockSize != 1024 && plan.blockSize != 4096) return false;
    if (plan.blocksPerGroup == 0 || plan.blocksPerGroup > plan.blockSize * 8) return false;
    if (plan.inodesPerGroup < kFirstInodesInUse || plan.inodesPerGroup > plan.blockSize * 8) return false;
    if (plan.inodeSize < kInodeSize || plan.inodeSize > plan.blockSize || (plan.inodeSize & (plan.inodeSize - 1)) != 0)
        return false;
    if (plan.blocksCount <= plan.firstDataBlock || plan.firstDataBlock != (plan.blockSize == 1024 ? 1u : 0u)) return false;
    return true;
}

void computeCounts(Ext2Plan& plan) {
    plan.groups = ceilDiv(uint64_t{plan.blocksCount} - plan.firstDataBlock, plan.blocksPerGroup);
    plan.descriptorBlocks = ceilDiv(uint64_t{plan.groups} * kGroupDescriptorSize, plan.blockSize);
    plan.inodeTableBlocks = ceilDiv(uint64_t{plan.inodesPerGroup} * plan.inodeSize, plan.blockSize);
    plan.inodeImageBlocks = std::max(2u, ceilDiv(uint64_t{kFirstInodesInUse} * plan.inodeSize, plan.blockSize));
    plan.lostAndFoundBlocks = std::min(kMaximumLostAndFoundBlocks, kLostAndFoundBytes / plan.blockSize);
}

nvr::Code readDescriptors(const VolumeWriter& volume, Ext2Plan& plan) {
    std::vector<uint8_t> table(uint64_t{plan.descriptorBlocks} * plan.blockSize);
    if (volume.readBlocks(plan.firstDataBlock + 1, table) != TQHD_OK) return TQHD_E_READ;
    for (uint32_t group = 0; group < plan.groups; ++group) {
        const size_t offset = size_t{group} * kGroupDescriptorSize;
        nvr::ByteReader reader(std::span<const uint8_t>(table).subspan(offset, kGroupDescriptorSize));
        GroupDescriptorRecord record{reader.u32le(0), reader.u32le(4), reader.u32le(8), {}};
        record.bytes.assign(table.begin() + static_cast<ptrdiff_t>(offset),
                            table.begin() + static_cast<ptrdiff_t>(offset + kGroupDescriptorSize));
        plan.descriptors.push_back(std::move(record));
    }
    return TQHD_OK;
}

bool insideGroup(const Ext2Plan& plan, uint32_t group, uint64_t first, uint64_t count) {
    const uint64_t start = plan.groupStart(group);
    return first >= start && first + count <= start + plan.groupBlocks(group);
}

// Every group's bitmaps and inode table lie in the group itself, behind its backup copies, and
// group 0 has room for the root and lost+found directories behind its inode table.
bool validLayout(const Ext2Plan& plan) {
    const uint32_t metadata = plan.descriptorBlocks + 1;
    for (uint32_t group = 0; group < plan.groups; ++group) {
        const GroupDescriptorRecord& record = plan.descriptors[group];
        const uint64_t firstFree = plan.groupStart(group) + (plan.backupGroup(group) ? metadata : 0);
        if (!insideGroup(plan, group, record.blockBitmap, 1) || !insideGroup(plan, group, record.inodeBitmap, 1) ||
            !insideGroup(plan, group, record.inodeTable, plan.inodeTableBlocks)) return false;
        if (record.blockBitmap < firstFree || record.inodeBitmap < firstFree || record.inodeTable < firstFree) return false;
    }
    const GroupDescriptorRecord& first = plan.descriptors[0];
    if (plan.inodeImageBlocks > plan.inodeTableBlocks) return false;
    if (first.blockBitmap > first.inodeTable || first.inodeBitmap > first.inodeTable) return false;
    return insideGroup(plan, 0, plan.rootBlock, plan.lostAndFoundBlocks + 1);
}

}  // namespace

uint32_t Ext2Plan::groupBlocks(uint32_t group) const {
    if (group + 1 < groups) return blocksPerGroup;
    return static_cast<uint32_t>(blocksCount - groupStart(group));
}

bool Ext2Plan::backupGroup(uint32_t group) const { return !sparseSuper || isSparseBackupGroup(group); }

bool isSparseBackupGroup(uint32_t group) {
    return group <= 1 || isPowerOf(group, 3) || isPowerOf(group, 5) || isPowerOf(group, 7);
}

nvr::Result<Ext2Plan> readExt2Plan(const VolumeWriter& volume) {
    Ext2Plan plan;
    plan.superblock.assign(kSuperblockSize, 0);
    if (volume.readAt(kSuperblockOffset, plan.superblock) != TQHD_OK) return nvr::fail(TQHD_E_READ);
    decodeGeometry(plan);
    if (!validGeometry(plan) || !supportedFeatures(plan.superblock)) return nvr::fail(TQHD_E_BADFS);
    computeCounts(plan);
    if (uint64_t{plan.inodesPerGroup} * plan.groups != plan.inodesCount) return nvr::fail(TQHD_E_BADFS);
    const VolumeWriter blocks(volume.drive(), volume.start(), plan.blockSize);
    if (const nvr::Code code = readDescriptors(blocks, plan); code != TQHD_OK) return nvr::fail(code);
    plan.rootBlock = plan.descriptors[0].inodeTable + plan.inodeTableBlocks;
    if (!validLayout(plan)) return nvr::fail(TQHD_E_BADFS);
    return plan;
}

}  // namespace drelmo
