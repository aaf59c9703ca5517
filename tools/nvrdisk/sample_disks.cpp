// Plans of the sample disks: sizes kept small, contents easy to recognise.
#include "sample_disks.h"

#include <cstdio>
#include <string>

namespace nvrdisk {
namespace {

using nvrtest::PartitionKind;
using nvrtest::PartitionPlan;
using nvrtest::TreeEntry;

PartitionPlan ext2Volume(uint64_t sizeBytes, uint32_t blockSize, std::vector<TreeEntry> tree) {
    PartitionPlan volume;
    volume.kind = PartitionKind::Ext2;
    volume.sizeBytes = sizeBytes;
    volume.ext2.blockSize = blockSize;
    volume.ext2.tree = std::move(tree);
    return volume;
}

PartitionPlan rawArea(uint64_t sizeBytes) {
    PartitionPlan area;
    area.kind = PartitionKind::Raw;
    area.sizeBytes = sizeBytes;
    area.diskName = sampleRecorderName;
    return area;
}

}  // namespace

std::vector<TreeEntry> sampleMainVolumeTree() {
    std::vector<TreeEntry> tree = {
        TreeEntry::text("README.txt", "Sample NVR disk made by nvrdisk sample.\nTry: nvrdisk ls /1/0/docs/\n"),
        TreeEntry::directory("docs/"),
        TreeEntry::text("docs/notes.txt", "Recorder: " + std::string(sampleRecorderName) + "\nChannels: 4\n"),
        TreeEntry::text("docs/channels.txt", "1 gate\n2 yard\n3 hall\n4 office\n"),
        TreeEntry::directory("data/"),
        TreeEntry::pattern("data/pattern-1m.bin", 1 << 20, 1),
        TreeEntry::pattern("data/pattern-2m.bin", (2 << 20) + 1234, 2),
        TreeEntry::directory("data/empty/"),
        TreeEntry::directory("many/"),
    };
    for (int index = 0; index < sampleCrowdedEntries; ++index) {
        char name[32];
        std::snprintf(name, sizeof name, "many/entry-%03d.txt", index);
        tree.push_back(TreeEntry::text(name, "entry " + std::to_string(index) + "\n"));
    }
    return tree;
}

nvrtest::DiskPlan sampleFirstDisk() {
    nvrtest::DiskPlan disk;
    disk.partitions = {ext2Volume(16 << 20, 1024, sampleMainVolumeTree()), rawArea(16 << 20)};
    return disk;
}

nvrtest::DiskPlan sampleSecondDisk() {
    nvrtest::DiskPlan disk;
    disk.partitions = {
        ext2Volume(8 << 20, 1024, {TreeEntry::text("disk2.txt", "Second disk of the sample recorder.\n")}),
        rawArea(8 << 20),
        ext2Volume(8 << 20, 4096, {TreeEntry::directory("logs/"), TreeEntry::text("logs/boot.log", "boot ok\n")}),
        ext2Volume(4 << 20, 1024, {}),
    };
    return disk;
}

}  // namespace nvrdisk
