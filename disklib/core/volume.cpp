#include "volume.h"

#include <algorithm>
#include <new>

#include "platform/debug.h"

namespace drelmo {

namespace {

// Allocation bounds for tables read from an untrusted superblock: 64 MiB of descriptors covers
// two million groups; a group's inode table of 64 MiB is far beyond what mke2fs makes.
constexpr uint64_t kMaxTableBytes = 64ull << 20;
constexpr uint64_t kMaxDirectoryBytes = 256ull << 20;

uint64_t ceilDiv(uint64_t value, uint64_t divisor) { return (value + divisor - 1) / divisor; }

}  // namespace

nvr::Code readSuperblock(platform::Drive& drive, uint32_t firstSector, std::vector<uint8_t>& out) {
    out.assign(kSuperblockSize, 0);
    const uint64_t position = uint64_t{firstSector} * platform::kSectorSize + kSuperblockOffset;
    if (drive.readAt(position, out.data(), out.size()) < 0) {
        platform::debugOut("@@ disk @@移动文件指针失败111!\n");
        return TQHD_E_SEEK;
    }
    if (decodeSuperblock(out).magic != kExt2Magic) return -1;
    return TQHD_OK;
}

Volume::Volume(int entryIndex, uint32_t firstSector) : entryIndex_(entryIndex), firstSector_(firstSector) {}

nvr::Result<std::unique_ptr<Volume>> Volume::setUp(platform::Drive& drive, int entryIndex,
                                                   const PartitionEntry& entry) {
    auto volume = std::make_unique<Volume>(entryIndex, entry.firstSector);
    if (entryIndex == kRawAreaEntry) return volume;
    if (readSuperblock(drive, entry.firstSector, volume->superblockBytes_) != TQHD_OK) {
        volume->superblockBytes_.clear();
        return volume;
    }
    volume->superblock_ = decodeSuperblock(volume->superblockBytes_);
    if (nvr::Code code = volume->computeGeometry(); code != TQHD_OK) return nvr::fail(code);
    return volume;
}

nvr::Code Volume::computeGeometry() {
    const uint32_t shift = superblock_.logBlockSize % 32;
    const uint64_t blockSize = uint64_t{1024} << shift;
    if ((blockSize != 1024 && blockSize != 4096) || superblock_.magic != kExt2Magic) return TQHD_E_BADFS;
    if (superblock_.blocksPerGroup == 0) return TQHD_E_PARAM;
    blockSize_ = static_cast<uint32_t>(blockSize);
    const uint64_t dataBlocks = superblock_.blocksCount > superblock_.firstDataBlock
                                    ? uint64_t{superblock_.blocksCount} - superblock_.firstDataBlock
                                    : 0;
    uint64_t groups = ceilDiv(dataBlocks, superblock_.blocksPerGroup);
    inodeTableBlocks_ = ceilDiv(uint64_t{superblock_.inodeSize} * superblock_.inodesPerGroup, blockSize_);
    descriptorBlocks_ = ceilDiv(groups * kGroupDescriptorSize, blockSize_);
    // A trailing group too small to hold its own metadata is not a group.
    const uint64_t rest = dataBlocks % superblock_.blocksPerGroup;
    if (rest > 0 && rest <= descriptorBlocks_ + inodeTableBlocks_ + 3) groups -= 1;
    groupCount_ = static_cast<uint32_t>(groups);
    return TQHD_OK;
}

int64_t Volume::readBytes(platform::Drive& drive, uint64_t offset, void* buffer, size_t count) const {
    const uint64_t start = uint64_t{firstSector_} * platform::kSectorSize;
    return drive.readAt(start + offset, buffer, count);
}

nvr::Code Volume::loadDescriptors(platform::Drive& drive) {
    const uint64_t bytes = descriptorBlocks_ * blockSize_;
    const uint64_t tableBytes = inodeTableBlocks_ * blockSize_;
    const int64_t driveLength = drive.length();
    if (bytes > kMaxTableBytes || tableBytes > kMaxTableBytes) return TQHD_E_NOMEM;
    if (driveLength >= 0 && (bytes > static_cast<uint64_t>(driveLength) || tableBytes > static_cast<uint64_t>(driveLength))) {
        return TQHD_E_READ;  // tables larger than the drive cannot be read
    }
    std::vector<uint8_t> table(bytes);
    const uint64_t offset = (uint64_t{superblock_.firstDataBlock} + 1) * blockSize_;
    if (readBytes(drive, offset, table.data(), table.size()) != static_cast<int64_t>(bytes)) return TQHD_E_READ;
    inodeTables_.resize(groupCount_);
    for (uint32_t group = 0; group < groupCount_; ++group) {
        const auto descriptor = std::span<const uint8_t>(table).subspan(group * kGroupDescriptorSize);
        inodeTables_[group] = decodeInodeTableBlock(descriptor.first(kGroupDescriptorSize));
    }
    inodeTableBuffer_.assign(tableBytes, 0);
    descriptorsLoaded_ = true;
    return TQHD_OK;
}

nvr::Code Volume::loadGroup(platform::Drive& drive, uint32_t group) {
    if (!descriptorsLoaded_) {
        if (nvr::Code code = loadDescriptors(drive); code != TQHD_OK) return code;
    }
    if (group >= groupCount_) return TQHD_E_NOTFOUND;
    if (groupInBuffer_ == group) return TQHD_OK;
    groupInBuffer_ = -1;
    const uint32_t tableBlock = inodeTables_[group];
    if (!blockInRange(tableBlock)) return TQHD_E_SEEK;
    const int64_t got = readBytes(drive, uint64_t{tableBlock} * blockSize_, inodeTableBuffer_.data(),
                                  inodeTableBuffer_.size());
    if (got != static_cast<int64_t>(inodeTableBuffer_.size())) return TQHD_E_READ;
    groupInBuffer_ = group;
    return TQHD_OK;
}

nvr::Result<DirectoryContent> Volume::readDirectoryContent(platform::Drive& drive, const InodeBytes& bytes) {
    const Inode inode = decodeInode(bytes);
    const uint64_t rounded = ceilDiv(inode.size, blockSize_) * blockSize_;
    // A directory larger than its volume or its drive is corrupt; do not allocate for it.
    const int64_t driveLength = drive.length();
    if (rounded > kMaxDirectoryBytes || rounded > uint64_t{superblock_.blocksCount} * blockSize_ ||
        (driveLength >= 0 && rounded > static_cast<uint64_t>(driveLength))) {
        return nvr::fail(TQHD_E_NOMEM);
    }
    auto content = std::make_shared<std::vector<uint8_t>>(rounded, 0);
    FilePosition start;
    (void)fileRead(drive, inode, start, content->data(), static_cast<uint32_t>(rounded));
    return DirectoryContent(std::move(content));
}

nvr::Result<LookupResult> Volume::readInode(platform::Drive& drive, uint32_t inodeNumber) {
    if (partitionNumber() == kRawAreaEntry + 1) return nvr::fail(TQHD_E_UNAVAILABLE);
    if (!hasFileSystem() || inodeNumber == 0) return nvr::fail(TQHD_E_NOTFOUND);
    if (superblock_.inodesPerGroup == 0) return nvr::fail(TQHD_E_PARAM);
    const uint32_t group = (inodeNumber - 1) / superblock_.inodesPerGroup;
    const uint64_t index = (inodeNumber - 1) % superblock_.inodesPerGroup;
    if (loadGroup(drive, group) != TQHD_OK) return nvr::fail(TQHD_E_NOTFOUND);
    const uint64_t offset = index * superblock_.inodeSize;
    if (offset + kInodeSize > inodeTableBuffer_.size()) return nvr::fail(TQHD_E_NOTFOUND);
    LookupResult result;
    std::copy_n(inodeTableBuffer_.begin() + static_cast<ptrdiff_t>(offset), kInodeSize, result.bytes.begin());
    result.blockSize = blockSize_;
    const Inode inode = decodeInode(result.bytes);
    if (inode.isDirectory() && inode.size != 0) {
        auto content = readDirectoryContent(drive, result.bytes);
        if (!content) return nvr::fail(content.code());
        result.content = std::move(*content);
    }
    return result;
}

nvr::Result<LookupResult> Volume::lookup(platform::Drive& drive, uint32_t inodeNumber) {
    if (auto found = cache_.find(inodeNumber); found != cache_.end()) {
        return LookupResult{found->second.bytes, found->second.content, blockSize_};
    }
    auto result = readInode(drive, inodeNumber);
    if (!result) return result;
    cache_[inodeNumber] = CacheEntry{result->bytes, result->content};
    return result;
}

void Volume::clearCache() {
    cache_.clear();
    groupInBuffer_ = -1;
}

void Volume::release() {
    clearCache();
    inodeTables_.clear();
    inodeTables_.shrink_to_fit();
    inodeTableBuffer_.clear();
    inodeTableBuffer_.shrink_to_fit();
    descriptorsLoaded_ = false;
}

}  // namespace drelmo
