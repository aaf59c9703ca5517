// Ext2 volumes in built images, judged by e2fsck and read back through debugfs.
#include "disk_image_builder.h"

#include "image_reading.h"

#include <nvr/byte_reader.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>

namespace nvrtest {
namespace {

constexpr uint32_t kResizeInodeFeature = 0x10;

class Ext2VolumeTest : public ::testing::Test {
protected:
    uint64_t volumeOffset(size_t index) const { return built_.partitions.at(index).firstSector * 512; }
    void build(const DiskPlan& plan) { built_ = buildDiskImage(plan, image_); }
    void expectClean(size_t index) {
        ProcessResult check = checkVolume(image_, volumeOffset(index));
        EXPECT_TRUE(check.succeeded()) << check.output;
    }
    std::vector<uint8_t> dump(size_t index, const std::string& file) {
        return dumpFile(image_, volumeOffset(index), file, scratch_.file("dumped"));
    }
    std::vector<uint8_t> superblock(size_t index) { return readBytes(image_, volumeOffset(index) + 1024, 1024); }

    TempDir scratch_;
    std::string image_ = scratch_.file("disk.img");
    BuiltDisk built_;
};

PartitionPlan ext2Partition(uint64_t sizeBytes, uint32_t blockSize, std::vector<TreeEntry> tree) {
    PartitionPlan partition;
    partition.sizeBytes = sizeBytes;
    partition.ext2.blockSize = blockSize;
    partition.ext2.tree = std::move(tree);
    return partition;
}

std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

struct Geometry {
    uint32_t blockSize;
    uint32_t inodeSize;
};

void PrintTo(const Geometry& value, std::ostream* out) {
    *out << value.blockSize << "-byte blocks, " << value.inodeSize << "-byte inodes";
}

class Ext2GeometryTest : public Ext2VolumeTest, public ::testing::WithParamInterface<Geometry> {};

TEST_P(Ext2GeometryTest, BuildsACleanVolumeWithTheAskedGeometry) {
    PartitionPlan partition = ext2Partition(8 << 20, GetParam().blockSize,
                                            {TreeEntry::directory("empty/"), TreeEntry::text("index/a.txt", "alpha")});
    partition.ext2.inodeSize = GetParam().inodeSize;
    DiskPlan plan;
    plan.partitions = {partition};
    build(plan);
    expectClean(0);
    std::vector<uint8_t> bytes = superblock(0);
    nvr::ByteReader reader(bytes);
    EXPECT_EQ(reader.u16le(56), 0xEF53);
    EXPECT_EQ(1024u << reader.u32le(24), GetParam().blockSize);
    EXPECT_EQ(reader.u32le(4), (8u << 20) / GetParam().blockSize);
    EXPECT_EQ(reader.u16le(88), GetParam().inodeSize);
    EXPECT_EQ(dump(0, "/index/a.txt"), bytesOf("alpha"));
    EXPECT_NE(debugfs(image_, volumeOffset(0), "ls -p /").output.find("/empty/"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Sizes, Ext2GeometryTest,
                         ::testing::Values(Geometry{1024, 256}, Geometry{2048, 256}, Geometry{4096, 256},
                                           Geometry{1024, 128}),
                         [](const auto& info) {
                             return std::to_string(info.param.blockSize) + "Block" +
                                    std::to_string(info.param.inodeSize) + "Inode";
                         });

TEST_F(Ext2VolumeTest, FilesAcrossIndirectBlockBoundariesReadBack) {
    // With 1 KiB blocks: 12 direct blocks, then 256 through the single indirect block.
    // The last file is written to the tree in several pieces.
    const std::vector<uint64_t> sizes = {12 << 10, (12 << 10) + 1, 268 << 10, (268 << 10) + 1, (5 << 19) + 517};
    std::vector<TreeEntry> tree;
    for (size_t index = 0; index < sizes.size(); ++index)
        tree.push_back(TreeEntry::pattern("data/f" + std::to_string(index), sizes[index], index + 1));
    DiskPlan plan;
    plan.partitions = {ext2Partition(8 << 20, 1024, tree)};
    build(plan);
    expectClean(0);
    for (size_t index = 0; index < sizes.size(); ++index)
        EXPECT_EQ(dump(0, "/data/f" + std::to_string(index)), patternBytes(index + 1, sizes[index])) << sizes[index];
    auto stat = [&](size_t index) { return debugfs(image_, volumeOffset(0), "stat /data/f" + std::to_string(index)).output; };
    EXPECT_EQ(stat(0).find("(IND)"), std::string::npos);
    EXPECT_NE(stat(1).find("(IND)"), std::string::npos);
    EXPECT_EQ(stat(2).find("(DIND)"), std::string::npos);
    EXPECT_NE(stat(3).find("(DIND)"), std::string::npos);
}

TEST_F(Ext2VolumeTest, DirectoryOfThousandsOfEntries) {
    constexpr int kEntries = 3800;
    std::vector<TreeEntry> tree;
    for (int index = 0; index < kEntries; ++index) {
        std::string name = "rec" + std::to_string(index) + ".idx";
        tree.push_back(TreeEntry::text("many/" + name, name));
    }
    DiskPlan plan;
    plan.partitions = {ext2Partition(16 << 20, 1024, tree)};
    build(plan);
    expectClean(0);
    std::string listing = debugfs(image_, volumeOffset(0), "ls -p /many").output;
    size_t entries = 0;  // "ls -p" gives one "/inode/mode/..." line per entry
    for (size_t line = 0; line < listing.size(); line = listing.find('\n', line) + 1) {
        entries += listing[line] == '/';
        if (listing.find('\n', line) == std::string::npos) break;
    }
    EXPECT_EQ(entries, kEntries + 2u);  // with "." and ".."
    EXPECT_EQ(dump(0, "/many/rec3799.idx"), bytesOf("rec3799.idx"));
}

TEST_F(Ext2VolumeTest, SeveralVolumesWithTheirOwnOptions) {
    PartitionPlan first = ext2Partition(8 << 20, 1024, {TreeEntry::text("one.txt", "first")});
    PartitionPlan rawArea;
    rawArea.kind = PartitionKind::Raw;
    rawArea.diskName = "MULTI";
    PartitionPlan third = ext2Partition(8 << 20, 4096, {TreeEntry::text("three.txt", "third")});
    third.ext2.extraOptions = {"-O", "^resize_inode", "-E", "stride=4"};  // -E joins the builder's own
    DiskPlan plan;
    plan.partitions = {first, rawArea, third};
    build(plan);
    expectClean(0);
    expectClean(2);
    EXPECT_EQ(dump(0, "/one.txt"), bytesOf("first"));
    EXPECT_EQ(dump(2, "/three.txt"), bytesOf("third"));
    std::vector<uint8_t> firstBytes = superblock(0);
    std::vector<uint8_t> thirdBytes = superblock(2);
    nvr::ByteReader firstSuper(firstBytes);
    nvr::ByteReader thirdSuper(thirdBytes);
    EXPECT_NE(firstSuper.u32le(92) & kResizeInodeFeature, 0u);
    EXPECT_EQ(thirdSuper.u32le(92) & kResizeInodeFeature, 0u);
    EXPECT_EQ(readBytes(image_, 196, 14), bytesOf("KXVO-CORVANTEX"));  // no volume ran over the boot record
}

TEST_F(Ext2VolumeTest, Mke2fsFailureCarriesItsOutputAndLeavesNoImage) {
    PartitionPlan partition = ext2Partition(8 << 20, 1024, {});
    partition.ext2.inodeSize = 100;
    DiskPlan plan;
    plan.partitions = {partition};
    try {
        build(plan);
        FAIL() << "an invalid inode size was accepted";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("inode size"), std::string::npos) << error.what();
    }
    EXPECT_NE(::access(image_.c_str(), F_OK), 0);
}

TEST_F(Ext2VolumeTest, StandardDiskHasATreeVolumeAndANamedRawArea) {
    std::vector<TreeEntry> tree = {TreeEntry::directory("record/"), TreeEntry::pattern("record/0001.idx", 5000, 11)};
    DiskPlan plan = standardNvrDisk(tree, "FRONT-DOOR", 4096);
    ASSERT_EQ(plan.partitions.size(), 2u);
    EXPECT_TRUE(plan.signature);
    EXPECT_EQ(plan.partitions[0].kind, PartitionKind::Ext2);
    EXPECT_EQ(plan.partitions[0].sizeBytes, 16u << 20);
    EXPECT_EQ(plan.partitions[1].kind, PartitionKind::Raw);
    EXPECT_EQ(plan.partitions[1].sizeBytes, 8u << 20);
    build(plan);
    expectClean(0);
    EXPECT_EQ(dump(0, "/record/0001.idx"), patternBytes(11, 5000));
    std::vector<uint8_t> bytes = superblock(0);
    EXPECT_EQ(1024u << nvr::ByteReader(bytes).u32le(24), 4096u);
    EXPECT_EQ(readBytes(image_, volumeOffset(1) + 165, 11), bytesOf(std::string("FRONT-DOOR") + '\0'));
    std::vector<uint8_t> table = readBytes(image_, 446 + 32, 32);
    EXPECT_EQ(table, std::vector<uint8_t>(32, 0));  // entries 2 and 3 stay empty
}

}  // namespace
}  // namespace nvrtest
