// One volume of a disk: ext2 set-up from its superblock, group descriptors, inode lookup with a
// cache, and reading and positioning inside files. Read-only.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "boot_record.h"
#include "ext2_layout.h"
#include "nvr/result.h"
#include "platform/drive.h"

namespace drelmo {

// A position inside a file: block index and offset in that block.
struct FilePosition {
    uint32_t block = 0;
    uint32_t offset = 0;
};

using DirectoryContent = std::shared_ptr<const std::vector<uint8_t>>;

struct LookupResult {
    InodeBytes bytes{};
    DirectoryContent content;  // a non-empty directory's bytes, else null
    uint32_t blockSize = 0;
};

// Reads the 1024-byte superblock of the partition at `firstSector` into `out`.
// TQHD_OK, TQHD_E_SEEK when the drive cannot be positioned there, -1 when the magic is wrong.
nvr::Code readSuperblock(platform::Drive& drive, uint32_t firstSector, std::vector<uint8_t>& out);

class Volume {
public:
    // A volume without file system (the raw data area, an unreadable superblock, a failed set-up).
    Volume(int entryIndex, uint32_t firstSector);
    // Sets up the volume of partition entry `entryIndex`; fails with TQHD_E_BADFS, TQHD_E_PARAM
    // or TQHD_E_SEEK when its superblock is unusable.
    static nvr::Result<std::unique_ptr<Volume>> setUp(platform::Drive& drive, int entryIndex,
                                                      const PartitionEntry& entry);

    int entryIndex() const { return entryIndex_; }
    int partitionNumber() const { return entryIndex_ + 1; }
    uint32_t firstSector() const { return firstSector_; }
    uint32_t blockSize() const { return blockSize_; }
    bool hasFileSystem() const { return blockSize_ != 0; }
    uint32_t groupCount() const { return groupCount_; }
    const Superblock& superblock() const { return superblock_; }
    const std::vector<uint8_t>& superblockBytes() const { return superblockBytes_; }

    // The inode's first 128 bytes and, for a non-empty directory, its content. Cached.
    nvr::Result<LookupResult> lookup(platform::Drive& drive, uint32_t inodeNumber);

    // Reads up to `count` bytes of the file at `position`, advancing it. Bytes delivered (0 at the
    // end of the file), or -1 when the volume has no file system or the first positioning fails.
    int32_t fileRead(platform::Drive& drive, const Inode& inode, FilePosition& position, uint8_t* buffer,
                     uint32_t count);
    // Moves `position`; TQHD_E_PARAM (position unchanged) when the target lies outside the file.
    nvr::Code fileSeek(const Inode& inode, FilePosition& position, int32_t offset, int32_t origin) const;

    // Forgets every cached inode and directory content (directory objects keep theirs alive).
    void clearCache();
    // Clears the cache and frees descriptors and the inode-table buffer.
    void release();

    // Reads `count` bytes at a byte offset of the volume; bytes read or -1.
    int64_t readBytes(platform::Drive& drive, uint64_t offset, void* buffer, size_t count) const;
    bool blockInRange(uint32_t block) const { return block < superblock_.blocksCount; }

private:
    struct CacheEntry {
        InodeBytes bytes{};
        DirectoryContent content;
    };

    nvr::Code computeGeometry();
    nvr::Code loadDescriptors(platform::Drive& drive);
    nvr::Code loadGroup(platform::Drive& drive, uint32_t group);
    nvr::Result<LookupResult> readInode(platform::Drive& drive, uint32_t inodeNumber);
    nvr::Result<DirectoryContent> readDirectoryContent(platform::Drive& drive, const InodeBytes& bytes);

    int entryIndex_;
    uint32_t firstSector_;
    uint32_t blockSize_ = 0;
    std::vector<uint8_t> superblockBytes_;
    Superblock superblock_;
    uint32_t groupCount_ = 0;
    uint64_t descriptorBlocks_ = 0;
    uint64_t inodeTableBlocks_ = 0;
    std::vector<uint32_t> inodeTables_;  // bg_inode_table of every group, once loaded
    bool descriptorsLoaded_ = false;
    std::vector<uint8_t> inodeTableBuffer_;
    int64_t groupInBuffer_ = -1;  // the group whose inode table the buffer holds
    std::unordered_map<uint32_t, CacheEntry> cache_;
};

}  // namespace drelmo
