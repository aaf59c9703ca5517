#include "test_drives.h"

#include <fstream>
#include <iterator>
#include <map>
#include <mutex>

#include "device_dir_env.h"

namespace disktest {

namespace {

using nvrtest::DiskPlan;
using nvrtest::PartitionKind;
using nvrtest::PartitionPlan;
using nvrtest::TreeEntry;

std::map<int, uint64_t>& Sizes() {
    static std::map<int, uint64_t> sizes;
    return sizes;
}

std::vector<TreeEntry> MainTree() {
    std::vector<TreeEntry> tree{
        TreeEntry::text("readme.txt", kReadmeText),
        TreeEntry::text("empty.txt", ""),
        TreeEntry::pattern("big.bin", kBigFileSize, kBigFileSeed),
        TreeEntry::directory("dir/"),
        TreeEntry::text("dir/file.nvr", "index bytes"),
        TreeEntry::directory("dir/sub/"),
        TreeEntry::pattern("dir/sub/deep.bin", kDeepFileSize, kDeepFileSeed),
        TreeEntry::directory("Lost+Found/"),
        TreeEntry::text("lost+found.bak", "hidden"),
        TreeEntry::directory("lost+foundX/"),
        TreeEntry::directory("many/"),
    };
    for (int i = 0; i < kManyEntries; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "many/f%04d", i);
        tree.push_back(TreeEntry::text(name, ""));
    }
    return tree;
}

PartitionPlan Ext2(uint64_t size, uint32_t blockSize, std::vector<TreeEntry> tree) {
    PartitionPlan partition;
    partition.kind = PartitionKind::Ext2;
    partition.sizeBytes = size;
    partition.ext2.blockSize = blockSize;
    partition.ext2.tree = std::move(tree);
    return partition;
}

PartitionPlan Raw(std::string name) {
    PartitionPlan partition;
    partition.kind = PartitionKind::Raw;
    partition.sizeBytes = 4 << 20;
    partition.diskName = std::move(name);
    return partition;
}

PartitionPlan Pattern() {
    PartitionPlan partition;
    partition.kind = PartitionKind::Pattern;
    partition.sizeBytes = 2 << 20;
    return partition;
}

DiskPlan Disk(bool signature, std::vector<PartitionPlan> partitions) {
    DiskPlan plan;
    plan.signature = signature;
    plan.partitions = std::move(partitions);
    return plan;
}

void Add(int number, const DiskPlan& plan) { Sizes()[number] = Devices().addDisk(number, plan).sizeBytes; }

}  // namespace

const nvrtest::DeviceDirectory& Devices() {
    static const nvrtest::DeviceDirectory devices(nvrtest::testDeviceDirectory());
    return devices;
}

void BuildTestDrives() {
    static std::once_flag built;
    std::call_once(built, [] {
        Add(kMainDisk, Disk(true, {Ext2(32 << 20, 1024, MainTree()), Raw("REC-A")}));
        Add(kPlainExt2Disk, Disk(false, {Ext2(16 << 20, 4096, {TreeEntry::pattern("video/clip.bin", kClipSize, kClipSeed)}),
                                         Raw("REC-A"), Ext2(2 << 20, 1024, {TreeEntry::text("p3.txt", "three")}),
                                         Ext2(2 << 20, 1024, {TreeEntry::text("p4.txt", "four")})}));
        Devices().addBlank(kBlankDrive, 8 << 20);
        Sizes()[kBlankDrive] = 8 << 20;
        Add(kForeignDrive, Disk(false, {Pattern(), Raw("")}));
        Add(kSignedNoExt2, Disk(true, {Pattern(), Raw("NO-EXT2")}));
        Add(kBadBlockSize, Disk(true, {Ext2(4 << 20, 2048, {}), Raw("BAD-BLOCKS")}));
        Add(kEmptyNameDisk, Disk(true, {Ext2(2 << 20, 1024, {}), Raw("")}));
        Add(kLongNameDisk, Disk(true, {Ext2(2 << 20, 1024, {TreeEntry::text("twelve.txt", "12")}), Raw(kLongName)}));
    });
}

uint64_t DriveSize(int number) { return Sizes().at(number); }

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

}  // namespace disktest
