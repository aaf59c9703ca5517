// Lays out an NVR disk image: the boot record with its signature and partition table, then
// each partition's content (ext2 volume, raw data area, zeros or pattern bytes).
#include "disk_image_builder.h"

#include "ext2_volume_maker.h"
#include "file_descriptor.h"

#include <nvr/byte_reader.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace nvrtest {
namespace {

constexpr uint64_t kSectorSize = 512;
constexpr uint64_t kAlignmentSectors = 2048;
constexpr size_t kMaximumEntries = 4;
constexpr size_t kSignatureOffset = 196;
constexpr size_t kTerminatorOffset = 210;
constexpr size_t kEntryTableOffset = 446;
constexpr size_t kEntrySize = 16;
constexpr size_t kBootMarkerOffset = 510;
constexpr size_t kDiskNameOffset = 165;
constexpr uint64_t kPieceSize = 1 << 20;
constexpr char kSignatureText[] = "KXVO-CORVANTEX";

uint64_t alignUp(uint64_t value, uint64_t alignment) { return (value + alignment - 1) / alignment * alignment; }

BuiltPartition placePartition(const PartitionPlan& partition, uint64_t firstSector) {
    if (partition.sizeBytes == 0 || partition.sizeBytes % kSectorSize != 0)
        throw std::invalid_argument("partition size must be a non-zero multiple of 512 bytes");
    BuiltPartition placed{firstSector, partition.sizeBytes / kSectorSize};
    if (placed.firstSector + placed.sectorCount > std::numeric_limits<uint32_t>::max())
        throw std::invalid_argument("partition does not fit a boot record entry");
    return placed;
}

// Partitions follow each other; every one after the first starts on a 1 MiB boundary.
std::vector<BuiltPartition> layOut(const DiskPlan& plan) {
    if (plan.partitions.size() > kMaximumEntries) throw std::invalid_argument("more than four partitions");
    std::vector<BuiltPartition> layout;
    uint64_t next = plan.firstPartitionSector;
    for (const auto& partition : plan.partitions) {
        layout.push_back(placePartition(partition, next));
        next = alignUp(layout.back().firstSector + layout.back().sectorCount, kAlignmentSectors);
    }
    return layout;
}

uint64_t imageSize(const DiskPlan& plan, const std::vector<BuiltPartition>& layout) {
    uint64_t endSector = std::max<uint64_t>(plan.firstPartitionSector, 1);
    if (!layout.empty()) endSector = layout.back().firstSector + layout.back().sectorCount;
    return endSector * kSectorSize + plan.trailingBytes;
}

void writeEntry(nvr::ByteWriter& writer, size_t index, uint8_t type, const BuiltPartition& placed) {
    if (type == 0) return;  // an empty entry stays all zeros
    size_t entry = kEntryTableOffset + index * kEntrySize;
    writer.u8(entry + 4, type);
    writer.u32le(entry + 8, static_cast<uint32_t>(placed.firstSector));
    writer.u32le(entry + 12, static_cast<uint32_t>(placed.sectorCount));
}

std::array<uint8_t, kSectorSize> bootRecord(const DiskPlan& plan, const std::vector<BuiltPartition>& layout) {
    std::array<uint8_t, kSectorSize> sector{};
    nvr::ByteWriter writer(sector.data(), sector.size());
    if (plan.signature) {
        // The terminator goes first so that a longer override text runs over it, as it would on disk.
        writer.u8(kTerminatorOffset, plan.signatureTerminator);
        std::string text = plan.signatureText.empty() ? std::string(kSignatureText) : plan.signatureText;
        writer.copy(kSignatureOffset, text.data(), std::min(text.size(), kEntryTableOffset - kSignatureOffset));
    }
    for (size_t index = 0; index < layout.size(); ++index)
        writeEntry(writer, index, plan.partitions[index].type, layout[index]);
    if (plan.bootMarker) {
        writer.u8(kBootMarkerOffset, 0x55);
        writer.u8(kBootMarkerOffset + 1, 0xAA);
    }
    return sector;
}

void writePattern(const FileDescriptor& image, uint64_t start, uint64_t size, uint64_t seed) {
    std::vector<uint8_t> piece(std::min(size, kPieceSize));
    for (uint64_t offset = 0; offset < size; offset += piece.size()) {
        std::span<uint8_t> part(piece.data(), std::min<uint64_t>(piece.size(), size - offset));
        fillPattern(seed, offset, part);
        writeAllAt(image, part.data(), part.size(), start + offset);
    }
}

void writeContent(const FileDescriptor& image, const std::string& path, const PartitionPlan& partition,
                  const BuiltPartition& placed, size_t index) {
    uint64_t start = placed.firstSector * kSectorSize;
    switch (partition.kind) {
    case PartitionKind::Ext2:
        makeExt2Volume(path, start, partition.sizeBytes, partition.ext2);
        break;
    case PartitionKind::Raw:  // the whole text, also beyond 32 bytes, so readers' cut shows
        writeAllAt(image, partition.diskName.data(), partition.diskName.size(), start + kDiskNameOffset);
        break;
    case PartitionKind::Pattern:
        writePattern(image, start, partition.sizeBytes, partition.patternSeed != 0 ? partition.patternSeed : index + 1);
        break;
    case PartitionKind::Blank:
        break;
    }
}

BuiltDisk writeImage(const DiskPlan& plan, const std::string& path, const std::vector<BuiltPartition>& layout) {
    BuiltDisk built{path, imageSize(plan, layout), layout};
    FileDescriptor image = openFile(path, O_RDWR | O_CREAT | O_TRUNC);
    if (::ftruncate(image.get(), static_cast<off_t>(built.sizeBytes)) != 0)
        throw std::system_error(errno, std::generic_category(), "ftruncate " + path);
    for (size_t index = 0; index < layout.size(); ++index)
        writeContent(image, path, plan.partitions[index], layout[index], index);
    auto sector = bootRecord(plan, layout);
    writeAllAt(image, sector.data(), sector.size(), 0);
    return built;
}

}  // namespace

BuiltDisk buildDiskImage(const DiskPlan& plan, const std::string& path) {
    std::vector<BuiltPartition> layout = layOut(plan);
    try {
        return writeImage(plan, path, layout);
    } catch (...) {
        ::unlink(path.c_str());  // a half-built image must not pass for a disk
        throw;
    }
}

DiskPlan standardNvrDisk(std::vector<TreeEntry> tree, std::string name, uint32_t blockSize) {
    PartitionPlan volume;
    volume.kind = PartitionKind::Ext2;
    volume.sizeBytes = 16 << 20;
    volume.ext2.blockSize = blockSize;
    volume.ext2.tree = std::move(tree);
    PartitionPlan rawArea;
    rawArea.kind = PartitionKind::Raw;
    rawArea.sizeBytes = 8 << 20;
    rawArea.diskName = std::move(name);
    DiskPlan disk;
    disk.partitions = {std::move(volume), std::move(rawArea)};
    return disk;
}

}  // namespace nvrtest
