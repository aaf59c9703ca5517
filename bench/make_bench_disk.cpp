// Builds the benchmark's NVR disk as drive 1 of a device directory: a 4 KiB-block ext2 volume
// with a 256 MiB file (/big.bin) and a directory of 3800 entries (/crowd), then a raw area.
// Prints the first volume's byte offset and size in the image for the comparison tools.
//   make_bench_disk DEVICE_DIR   ->   "<volume offset> <volume size> <image size>"
#include <cstdio>
#include <exception>

#include "disk_image_builder.h"

namespace {

constexpr uint64_t bigFileBytes = 256ull << 20;
constexpr int crowdEntries = 3800;

std::vector<nvrtest::TreeEntry> benchTree() {
    std::vector<nvrtest::TreeEntry> tree = {nvrtest::TreeEntry::pattern("big.bin", bigFileBytes, 7),
                                            nvrtest::TreeEntry::directory("crowd/")};
    for (int index = 0; index < crowdEntries; ++index) {
        char name[48];
        std::snprintf(name, sizeof name, "crowd/camera-%02d-segment-%04d.idx", index % 16, index);
        tree.push_back(nvrtest::TreeEntry::text(name, std::to_string(index) + "\n"));
    }
    return tree;
}

nvrtest::DiskPlan benchDisk() {
    nvrtest::PartitionPlan volume;
    volume.kind = nvrtest::PartitionKind::Ext2;
    volume.sizeBytes = 288ull << 20;
    volume.ext2.blockSize = 4096;
    volume.ext2.tree = benchTree();
    volume.ext2.extraOptions = {"-N", "8192"};  // a few inodes leave room for the data
    nvrtest::PartitionPlan raw;
    raw.kind = nvrtest::PartitionKind::Raw;
    raw.sizeBytes = 16ull << 20;
    raw.diskName = "BENCH-NVR";
    nvrtest::DiskPlan disk;
    disk.partitions = {volume, raw};
    return disk;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DEVICE_DIR\n", argv[0]);
        return 2;
    }
    try {
        const nvrtest::BuiltDisk built = nvrtest::DeviceDirectory(argv[1]).addDisk(1, benchDisk());
        const nvrtest::BuiltPartition& volume = built.partitions.at(0);
        std::printf("%llu %llu %llu\n", static_cast<unsigned long long>(volume.firstSector * 512),
                    static_cast<unsigned long long>(volume.sectorCount * 512),
                    static_cast<unsigned long long>(built.sizeBytes));
    } catch (const std::exception& failure) {
        std::fprintf(stderr, "make_bench_disk: %s\n", failure.what());
        return 1;
    }
    return 0;
}
