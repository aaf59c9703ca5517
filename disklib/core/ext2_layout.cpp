#include "ext2_layout.h"

#include "nvr/byte_reader.h"

namespace drelmo {

Superblock decodeSuperblock(std::span<const uint8_t> bytes) {
    nvr::ByteReader reader(bytes);
    Superblock sb;
    sb.blocksCount = reader.u32le(4);
    sb.firstDataBlock = reader.u32le(20);
    sb.logBlockSize = reader.u32le(24);
    sb.blocksPerGroup = reader.u32le(32);
    sb.inodesPerGroup = reader.u32le(40);
    sb.magic = reader.u16le(56);
    sb.inodeSize = reader.u16le(88);
    return sb;
}

uint32_t decodeInodeTableBlock(std::span<const uint8_t> descriptor) {
    nvr::ByteReader reader(descriptor);
    return reader.u32le(8);
}

Inode decodeInode(const InodeBytes& bytes) {
    nvr::ByteReader reader(bytes.data(), bytes.size());
    Inode inode;
    inode.mode = reader.u16le(0);
    inode.size = reader.u32le(4);
    for (size_t i = 0; i < inode.block.size(); ++i) inode.block[i] = reader.u32le(40 + 4 * i);
    return inode;
}

bool decodeDirectoryEntry(std::span<const uint8_t> content, size_t offset, DirectoryEntry& entry) {
    if (offset > content.size() || content.size() - offset < 8) return false;
    nvr::ByteReader reader(content);
    entry.inode = reader.u32le(offset);
    entry.recordLength = reader.u16le(offset + 4);
    entry.nameLength = reader.u8(offset + 6);
    entry.fileType = reader.u8(offset + 7);
    if (content.size() - offset - 8 < entry.nameLength) return false;
    entry.name.assign(reinterpret_cast<const char*>(content.data() + offset + 8), entry.nameLength);
    return true;
}

}  // namespace drelmo
