// Builds the format benchmark's NVR disk as drive 1 of a device directory: a 4 GiB ext2 volume
// as Debian's mke2fs -t ext2 makes it (1 KiB or 4 KiB blocks), holding what a recorder leaves
// there (camera folders of small index files), then a 64 MiB raw area.
//   make_bench_format_disk DEVICE_DIR BLOCK_SIZE   ->   "<volume offset> <volume size>"
#include <cstdio>
#include <cstdlib>
#include <exception>

#include "disk_image_builder.h"

namespace {

constexpr uint64_t kVolumeBytes = 4ull << 30;
constexpr int kCameras = 16;
constexpr int kIndexFilesPerCamera = 128;

std::vector<nvrtest::TreeEntry> recorderTree() {
    std::vector<nvrtest::TreeEntry> tree;
    for (int camera = 0; camera < kCameras; ++camera) {
        const std::string folder = "ch" + std::to_string(camera) + "/";
        tree.push_back(nvrtest::TreeEntry::directory(folder));
        for (int file = 0; file < kIndexFilesPerCamera; ++file)
            tree.push_back(nvrtest::TreeEntry::pattern(folder + std::to_string(file) + ".nvr", 6144, camera * 1000 + file));
    }
    return tree;
}

nvrtest::DiskPlan benchDisk(uint32_t blockSize) {
    nvrtest::PartitionPlan volume;
    volume.kind = nvrtest::PartitionKind::Ext2;
    volume.sizeBytes = kVolumeBytes;
    volume.ext2.blockSize = blockSize;
    volume.ext2.tree = recorderTree();
    nvrtest::PartitionPlan raw;
    raw.kind = nvrtest::PartitionKind::Raw;
    raw.sizeBytes = 64ull << 20;
    raw.diskName = "BENCH-FORMAT";
    nvrtest::DiskPlan disk;
    disk.partitions = {volume, raw};
    return disk;
}

}  // namespace

int main(int argc, char** argv) {
    const uint32_t blockSize = argc == 3 ? static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10)) : 0;
    if (blockSize != 1024 && blockSize != 4096) {
        std::fprintf(stderr, "usage: %s DEVICE_DIR 1024|4096\n", argv[0]);
        return 2;
    }
    try {
        const nvrtest::BuiltDisk built = nvrtest::DeviceDirectory(argv[1]).addDisk(1, benchDisk(blockSize));
        const nvrtest::BuiltPartition& volume = built.partitions.at(0);
        std::printf("%llu %llu\n", static_cast<unsigned long long>(volume.firstSector * 512),
                    static_cast<unsigned long long>(volume.sectorCount * 512));
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "make_bench_format_disk: %s\n", failure.what());
        return 1;
    }
    return 0;
}
