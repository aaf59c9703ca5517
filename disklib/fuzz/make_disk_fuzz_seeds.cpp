// Writes small NVR disk images as seeds for the disk image fuzzer: 1 KiB and 4 KiB blocks, files
// with indirect blocks, subdirectories, a disk without signature.
#include <cstdio>
#include <string>

#include "disk_image_builder.h"

namespace {

nvrtest::DiskPlan SmallDisk(uint32_t blockSize, bool signature, uint64_t fileSize) {
    nvrtest::PartitionPlan ext2;
    ext2.sizeBytes = blockSize == 1024 ? 96 * 1024 : 256 * 1024;
    ext2.ext2.blockSize = blockSize;
    ext2.ext2.inodeSize = 128;
    ext2.ext2.tree = {nvrtest::TreeEntry::text("a.nvr", "index"), nvrtest::TreeEntry::directory("d/"),
                      nvrtest::TreeEntry::pattern("d/f.bin", fileSize, 3), nvrtest::TreeEntry::directory("lost+found2/")};
    ext2.ext2.extraOptions = {"-N", "16"};
    nvrtest::PartitionPlan raw;
    raw.kind = nvrtest::PartitionKind::Raw;
    raw.sizeBytes = 4096;
    raw.diskName = "SEED";
    nvrtest::DiskPlan plan;
    plan.signature = signature;
    plan.firstPartitionSector = 1;
    plan.partitions = {ext2, raw};
    return plan;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    try {
        nvrtest::buildDiskImage(SmallDisk(1024, true, 20 * 1024), dir + "/seed-1k.img");
        nvrtest::buildDiskImage(SmallDisk(1024, false, 2 * 1024), dir + "/seed-1k-plain.img");
        nvrtest::buildDiskImage(SmallDisk(4096, true, 60 * 1024), dir + "/seed-4k.img");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
