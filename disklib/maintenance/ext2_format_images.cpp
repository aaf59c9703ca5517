// The byte images a format writes into an ext2 volume.
#include "ext2_format_plan.h"
#include "ext2_layout.h"
#include "nvr/byte_reader.h"

namespace drelmo {

namespace {

constexpr uint32_t kCompatResizeInode = 0x10;
constexpr uint16_t kStateClean = 1;
constexpr uint16_t kRootMode = 0x41ED;          // directory, rwxr-xr-x
constexpr uint16_t kLostAndFoundMode = 0x41C0;  // directory, rwx------
constexpr uint8_t kDirectoryFileType = 2;

void setBits(std::vector<uint8_t>& bitmap, uint64_t first, uint64_t end) {
    for (uint64_t bit = first; bit < end && bit / 8 < bitmap.size(); ++bit) {
        bitmap[bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
    }
}

// Marks the blocks [first, first + count) that lie in the group.
void markBlocks(const Ext2Plan& plan, uint32_t group, std::vector<uint8_t>& bitmap, uint64_t first, uint64_t count) {
    const uint64_t start = plan.groupStart(group);
    const uint64_t end = start + plan.groupBlocks(group);
    const uint64_t from = std::max(first, start);
    const uint64_t to = std::min(first + count, end);
    if (from < to) setBits(bitmap, from - start, to - start);
}

uint32_t countBits(const std::vector<uint8_t>& bitmap, uint32_t bits) {
    uint32_t count = 0;
    for (uint32_t bit = 0; bit < bits; ++bit) count += (bitmap[bit / 8] >> (bit % 8)) & 1u;
    return count;
}

void writeTimes(nvr::ByteWriter& writer, size_t inode, uint32_t time) {
    writer.u32le(inode + 8, time);   // i_atime
    writer.u32le(inode + 12, time);  // i_ctime
    writer.u32le(inode + 16, time);  // i_mtime
}

void writeDirectoryInode(nvr::ByteWriter& writer, size_t inode, uint16_t mode, uint32_t blocks, uint16_t links,
                         uint32_t firstBlock, uint32_t blockSize) {
    writer.u16le(inode + 0, mode);
    writer.u32le(inode + 4, blocks * blockSize);        // i_size
    writer.u16le(inode + 26, links);                    // i_links_count
    writer.u32le(inode + 28, blocks * blockSize / 512); // i_blocks, in 512-byte units
    for (uint32_t index = 0; index < blocks; ++index) writer.u32le(inode + 40 + 4 * index, firstBlock + index);
}

size_t writeEntry(nvr::ByteWriter& writer, size_t offset, uint32_t inode, uint16_t length, const std::string& name,
                  bool fileType) {
    writer.u32le(offset, inode);
    writer.u16le(offset + 4, length);
    writer.u8(offset + 6, static_cast<uint8_t>(name.size()));
    writer.u8(offset + 7, fileType && inode != 0 ? kDirectoryFileType : 0);
    writer.copy(offset + 8, name.data(), name.size());
    return offset + length;
}

}  // namespace

std::vector<uint8_t> blockBitmap(const Ext2Plan& plan, uint32_t group, uint32_t& used) {
    std::vector<uint8_t> bitmap(plan.blockSize, 0);
    const GroupDescriptorRecord& record = plan.descriptors[group];
    if (plan.backupGroup(group)) markBlocks(plan, group, bitmap, plan.groupStart(group), 1 + plan.descriptorBlocks);
    markBlocks(plan, group, bitmap, record.blockBitmap, 1);
    markBlocks(plan, group, bitmap, record.inodeBitmap, 1);
    markBlocks(plan, group, bitmap, record.inodeTable, plan.inodeTableBlocks);
    if (group == 0) markBlocks(plan, group, bitmap, plan.rootBlock, 1 + plan.lostAndFoundBlocks);
    used = countBits(bitmap, plan.groupBlocks(group));
    setBits(bitmap, plan.groupBlocks(group), uint64_t{plan.blockSize} * 8);  // beyond the group's end
    return bitmap;
}

std::vector<uint8_t> inodeBitmap(const Ext2Plan& plan, uint32_t group) {
    std::vector<uint8_t> bitmap(plan.blockSize, 0);
    if (group == 0) setBits(bitmap, 0, kFirstInodesInUse);
    setBits(bitmap, plan.inodesPerGroup, uint64_t{plan.blockSize} * 8);
    return bitmap;
}

std::vector<uint8_t> superblockImage(const Ext2Plan& plan, uint32_t freeBlocks, uint32_t formatTime, uint32_t group) {
    std::vector<uint8_t> superblock = plan.superblock;
    nvr::ByteReader reader(superblock);
    const uint32_t compat = reader.u32le(92);
    nvr::ByteWriter writer(superblock);
    writer.u32le(12, freeBlocks);                             // s_free_blocks_count
    writer.u32le(16, plan.inodesCount - kFirstInodesInUse);   // s_free_inodes_count
    writer.u32le(44, 0);                                      // s_mtime
    writer.u32le(48, formatTime);                             // s_wtime
    writer.u16le(52, 0);                                      // s_mnt_count
    writer.u16le(56, kExt2Magic);
    writer.u16le(58, group == 0 ? kStateClean : 0);           // s_state
    writer.u32le(64, formatTime);                             // s_lastcheck
    writer.u16le(90, static_cast<uint16_t>(group));           // s_block_group_nr
    // An NVR disk is never resized: the reserved descriptor blocks and the resize inode go.
    writer.u32le(92, compat & ~kCompatResizeInode);
    writer.u16le(206, 0);                                     // s_reserved_gdt_blocks
    writer.u32le(232, 0);                                     // s_last_orphan: its inodes are gone
    return superblock;
}

std::vector<uint8_t> descriptorTableImage(const Ext2Plan& plan, const std::vector<uint32_t>& usedBlocks) {
    std::vector<uint8_t> table(uint64_t{plan.descriptorBlocks} * plan.blockSize, 0);
    nvr::ByteWriter writer(table);
    for (uint32_t group = 0; group < plan.groups; ++group) {
        const size_t offset = size_t{group} * kGroupDescriptorSize;
        writer.copy(offset, plan.descriptors[group].bytes.data(), kGroupDescriptorSize);
        writer.u16le(offset + 12, static_cast<uint16_t>(plan.groupBlocks(group) - usedBlocks[group]));
        writer.u16le(offset + 14, static_cast<uint16_t>(plan.inodesPerGroup - (group == 0 ? kFirstInodesInUse : 0)));
        writer.u16le(offset + 16, group == 0 ? 2 : 0);  // bg_used_dirs_count: root and lost+found
        writer.u16le(offset + 18, 0);                   // bg_flags
    }
    return table;
}

std::vector<uint8_t> inodeImage(const Ext2Plan& plan, uint32_t formatTime) {
    std::vector<uint8_t> image(uint64_t{plan.inodeImageBlocks} * plan.blockSize, 0);
    nvr::ByteWriter writer(image);
    const auto at = [&](uint32_t inode) { return size_t{inode - 1} * plan.inodeSize; };
    writeTimes(writer, at(1), formatTime);
    writeTimes(writer, at(kRootInode), formatTime);
    writeDirectoryInode(writer, at(kRootInode), kRootMode, 1, 3, plan.rootBlock, plan.blockSize);
    writeTimes(writer, at(kLostAndFoundInode), formatTime);
    writeDirectoryInode(writer, at(kLostAndFoundInode), kLostAndFoundMode, plan.lostAndFoundBlocks, 2,
                        plan.rootBlock + 1, plan.blockSize);
    return image;
}

// The root block, then lost+found's blocks: "." and ".." in its first, empty entries after.
std::vector<uint8_t> directoryImage(const Ext2Plan& plan) {
    const uint32_t size = plan.blockSize;
    std::vector<uint8_t> image(uint64_t{plan.lostAndFoundBlocks + 1} * size, 0);
    nvr::ByteWriter writer(image);
    size_t offset = writeEntry(writer, 0, kRootInode, 12, ".", plan.fileType);
    offset = writeEntry(writer, offset, kRootInode, 12, "..", plan.fileType);
    writeEntry(writer, offset, kLostAndFoundInode, static_cast<uint16_t>(size - 24), "lost+found", plan.fileType);
    offset = writeEntry(writer, size, kLostAndFoundInode, 12, ".", plan.fileType);
    writeEntry(writer, offset, kRootInode, static_cast<uint16_t>(size - 12), "..", plan.fileType);
    for (uint32_t block = 2; block <= plan.lostAndFoundBlocks; ++block) {
        writeEntry(writer, size_t{block} * size, 0, static_cast<uint16_t>(size), "", plan.fileType);
    }
    return image;
}

}  // namespace drelmo
