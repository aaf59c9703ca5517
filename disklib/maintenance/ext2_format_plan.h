// What formatting an ext2 volume writes where: its geometry read from the volume's own
// superblock and group descriptors, the used blocks of every group, and the byte images of the
// superblock, descriptor table, first inodes, directories and bitmaps.
#pragma once

#include <cstdint>
#include <vector>

#include "nvr/result.h"
#include "volume_writer.h"

namespace drelmo {

constexpr uint32_t kLostAndFoundInode = 11;
constexpr uint32_t kFirstInodesInUse = 11;  // inodes 1 to 11: reserved ones and lost+found

struct GroupDescriptorRecord {
    uint32_t blockBitmap = 0;  // offset 0
    uint32_t inodeBitmap = 0;  // offset 4
    uint32_t inodeTable = 0;   // offset 8
    std::vector<uint8_t> bytes;  // the 32 bytes as read; counts are replaced when written
};

struct Ext2Plan {
    std::vector<uint8_t> superblock;  // 1024 bytes as read
    uint32_t blockSize = 0;
    uint32_t blocksCount = 0;
    uint32_t inodesCount = 0;
    uint32_t firstDataBlock = 0;
    uint32_t blocksPerGroup = 0;
    uint32_t inodesPerGroup = 0;
    uint32_t inodeSize = 0;
    uint32_t groups = 0;
    uint32_t descriptorBlocks = 0;
    uint32_t inodeTableBlocks = 0;
    bool sparseSuper = false;
    bool fileType = false;
    uint32_t rootBlock = 0;          // RB: first block behind group 0's inode table
    uint32_t lostAndFoundBlocks = 0; // L
    uint32_t inodeImageBlocks = 0;   // inode-table blocks that hold inodes 1 to 11
    std::vector<GroupDescriptorRecord> descriptors;

    uint64_t groupStart(uint32_t group) const { return firstDataBlock + uint64_t{group} * blocksPerGroup; }
    uint32_t groupBlocks(uint32_t group) const;
    bool backupGroup(uint32_t group) const;
};

// Reads and checks the volume's superblock and descriptors. TQHD_E_BADFS for what this formatter
// cannot rewrite faithfully (no magic, unknown features, metadata outside its group, a layout
// without room for the first inodes and directories); TQHD_E_READ, TQHD_E_NOMEM.
nvr::Result<Ext2Plan> readExt2Plan(const VolumeWriter& volume);

// A backup group holds a superblock copy and the descriptor table: groups 0 and 1 and powers of
// 3, 5 and 7 on a sparse_super volume, every group otherwise.
bool isSparseBackupGroup(uint32_t group);

// The block bitmap of a group (one block) and the number of its blocks in use.
std::vector<uint8_t> blockBitmap(const Ext2Plan& plan, uint32_t group, uint32_t& used);
std::vector<uint8_t> inodeBitmap(const Ext2Plan& plan, uint32_t group);
// The superblock with the new counts and times, for group `group` (state and group number).
std::vector<uint8_t> superblockImage(const Ext2Plan& plan, uint32_t freeBlocks, uint32_t formatTime, uint32_t group);
std::vector<uint8_t> descriptorTableImage(const Ext2Plan& plan, const std::vector<uint32_t>& usedBlocks);
std::vector<uint8_t> inodeImage(const Ext2Plan& plan, uint32_t formatTime);
std::vector<uint8_t> directoryImage(const Ext2Plan& plan);

}  // namespace drelmo
