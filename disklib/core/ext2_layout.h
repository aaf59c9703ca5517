// The ext2 fields the reader uses: superblock, group descriptor, inode and directory entry.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace drelmo {

constexpr size_t kSuperblockSize = 1024;
constexpr uint64_t kSuperblockOffset = 1024;  // from the start of the partition
constexpr uint16_t kExt2Magic = 0xEF53;
constexpr size_t kGroupDescriptorSize = 32;
constexpr size_t kInodeSize = 128;            // the part of an inode the reader keeps
constexpr uint32_t kRootInode = 2;
constexpr uint32_t kDirectBlocks = 12;
constexpr uint32_t kSingleIndirect = 12;
constexpr uint32_t kDoubleIndirect = 13;
constexpr uint32_t kTripleIndirect = 14;

struct Superblock {
    uint32_t blocksCount = 0;      // offset 4
    uint32_t firstDataBlock = 0;   // offset 20
    uint32_t logBlockSize = 0;     // offset 24
    uint32_t blocksPerGroup = 0;   // offset 32
    uint32_t inodesPerGroup = 0;   // offset 40
    uint16_t magic = 0;            // offset 56
    uint16_t inodeSize = 0;        // offset 88
};
Superblock decodeSuperblock(std::span<const uint8_t> bytes);

// bg_inode_table, offset 8 of a 32-byte group descriptor.
uint32_t decodeInodeTableBlock(std::span<const uint8_t> descriptor);

using InodeBytes = std::array<uint8_t, kInodeSize>;

struct Inode {
    uint16_t mode = 0;                      // offset 0
    uint32_t size = 0;                      // offset 4 (lower 32 bits)
    std::array<uint32_t, 15> block{};       // offset 40
    bool isDirectory() const { return (mode & 0xF000) == 0x4000; }
};
Inode decodeInode(const InodeBytes& bytes);

struct DirectoryEntry {
    uint32_t inode = 0;     // offset 0
    uint16_t recordLength = 0;  // offset 4
    uint8_t nameLength = 0;     // offset 6
    uint8_t fileType = 0;       // offset 7 (2 = directory)
    std::string name;           // offset 8
};

// Decodes the entry at `offset`; false when its header or name would reach beyond `content`.
bool decodeDirectoryEntry(std::span<const uint8_t> content, size_t offset, DirectoryEntry& entry);

}  // namespace drelmo
