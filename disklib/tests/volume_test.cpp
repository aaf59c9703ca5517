// Volume set-up from superblocks, and reading files of real volumes made by mke2fs.
#include "volume.h"

#include <gtest/gtest.h>

#include "disk_image_builder.h"
#include "nvr/byte_reader.h"

namespace drelmo {
namespace {

struct SuperblockFields {
    uint32_t blocksCount;
    uint32_t firstDataBlock;
    uint32_t logBlockSize;
    uint32_t blocksPerGroup;
    uint32_t inodesPerGroup;
    uint16_t inodeSize;
    uint16_t magic = kExt2Magic;
};

// A drive whose partition 0 starts at sector 0 and holds just a superblock.
std::unique_ptr<platform::Drive> DriveWithSuperblock(const SuperblockFields& fields) {
    std::vector<uint8_t> bytes(4096, 0);
    nvr::ByteWriter writer(std::span<uint8_t>(bytes).subspan(1024, 1024));
    writer.u32le(4, fields.blocksCount);
    writer.u32le(20, fields.firstDataBlock);
    writer.u32le(24, fields.logBlockSize);
    writer.u32le(32, fields.blocksPerGroup);
    writer.u32le(40, fields.inodesPerGroup);
    writer.u16le(56, fields.magic);
    writer.u16le(88, fields.inodeSize);
    return platform::makeMemoryDrive(std::move(bytes));
}

nvr::Result<std::unique_ptr<Volume>> VolumeFrom(const SuperblockFields& fields) {
    auto drive = DriveWithSuperblock(fields);
    return Volume::setUp(*drive, 0, PartitionEntry{0x83, 0, 8});
}

TEST(VolumeSetUp, GroupCountLeavesOutATrailingGroupTooSmallForItsMetadata) {
    // 1 KiB blocks, 8192 blocks per group, 2048 inodes of 128 bytes: 256 inode-table blocks.
    struct Case {
        uint32_t blocksCount;
        uint32_t groups;
    };
    const uint32_t perGroup = 8192;
    const uint32_t metadata = 1 + 256 + 3;  // descriptor blocks + inode table blocks + 3
    const Case cases[] = {
        {1 + 2 * perGroup, 2},                 // an exact multiple: every group counts
        {1 + 2 * perGroup + 1, 2},             // a trailing group of 1 block does not
        {1 + 2 * perGroup + metadata, 2},      // nor one of exactly the metadata size
        {1 + 2 * perGroup + metadata + 1, 3},  // one block more does
        {1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.blocksCount);
        auto volume = VolumeFrom({c.blocksCount, 1, 0, perGroup, 2048, 128});
        ASSERT_TRUE(volume);
        EXPECT_EQ((*volume)->groupCount(), c.groups);
        EXPECT_EQ((*volume)->blockSize(), 1024u);
    }
}

TEST(VolumeSetUp, RefusesBlockSizesOtherThan1024And4096) {
    struct Case {
        uint32_t logBlockSize;
        nvr::Code result;
    };
    const Case cases[] = {{0, TQHD_OK}, {2, TQHD_OK}, {1, TQHD_E_BADFS}, {3, TQHD_E_BADFS}, {32, TQHD_OK}, {34, TQHD_OK}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logBlockSize);
        EXPECT_EQ(VolumeFrom({1000, 0, c.logBlockSize, 8192, 128, 128}).code(), c.result);
    }
    EXPECT_EQ(VolumeFrom({1000, 0, 0, 0, 128, 128}).code(), TQHD_E_PARAM) << "no blocks per group";
}

TEST(VolumeSetUp, AWrongMagicLeavesAVolumeWithoutFileSystem) {
    SuperblockFields fields{1000, 1, 0, 8192, 128, 128};
    fields.magic = 0x1234;
    auto volume = VolumeFrom(fields);
    ASSERT_TRUE(volume);
    EXPECT_FALSE((*volume)->hasFileSystem());
    auto drive = DriveWithSuperblock(fields);
    EXPECT_EQ((*volume)->lookup(*drive, 2).code(), TQHD_E_NOTFOUND);
}

TEST(VolumeSetUp, TheRawDataAreaHasNoFileSystem) {
    auto drive = DriveWithSuperblock({1000, 1, 0, 8192, 128, 128});
    auto volume = Volume::setUp(*drive, 1, PartitionEntry{0x83, 0, 8});
    ASSERT_TRUE(volume);
    EXPECT_FALSE((*volume)->hasFileSystem());
    EXPECT_EQ((*volume)->lookup(*drive, 2).code(), TQHD_E_UNAVAILABLE);
}

// A real 1 KiB-block volume with a file that reaches the double-indirect blocks.
class RealVolume : public ::testing::Test {
protected:
    static constexpr uint64_t kSize = 300 * 1024;
    static constexpr uint64_t kSeed = 77;

    void SetUp() override {
        nvrtest::DiskPlan plan = nvrtest::standardNvrDisk({nvrtest::TreeEntry::pattern("f.bin", kSize, kSeed)}, "V");
        built_ = nvrtest::buildDiskImage(plan, dir_.file("disk.img"));
        drive_ = platform::openDrivePath(built_.path, platform::Access::Read, platform::kShareRead);
        ASSERT_NE(drive_, nullptr);
        auto volume = Volume::setUp(*drive_, 0, PartitionEntry{0x83, static_cast<uint32_t>(built_.partitions[0].firstSector), 1});
        ASSERT_TRUE(volume);
        volume_ = std::move(*volume);
    }

    // The inode of the file in the root directory.
    Inode FileInode() {
        auto root = volume_->lookup(*drive_, kRootInode);
        EXPECT_TRUE(root);
        const auto& content = *root->content;
        for (size_t offset = 0; offset + 8 <= content.size();) {
            DirectoryEntry entry;
            if (!decodeDirectoryEntry(content, offset, entry) || entry.recordLength == 0) break;
            if (entry.name == "f.bin") return decodeInode(volume_->lookup(*drive_, entry.inode)->bytes);
            offset += entry.recordLength;
        }
        ADD_FAILURE() << "f.bin not found";
        return {};
    }

    nvrtest::TempDir dir_;
    nvrtest::BuiltDisk built_;
    std::unique_ptr<platform::Drive> drive_;
    std::unique_ptr<Volume> volume_;
};

TEST_F(RealVolume, TenBytesFromOffset1020EndAtBlock1Offset6) {
    const Inode inode = FileInode();
    FilePosition position{0, 1020};
    uint8_t buffer[10];
    ASSERT_EQ(volume_->fileRead(*drive_, inode, position, buffer, 10), 10);
    EXPECT_EQ(position.block, 1u);
    EXPECT_EQ(position.offset, 6u);
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 10), [] {
        std::vector<uint8_t> expected(10);
        nvrtest::fillPattern(kSeed, 1020, expected);
        return expected;
    }());
}

// Counts the requests that reach a drive.
class CountingDrive : public platform::Drive {
public:
    explicit CountingDrive(platform::Drive& inner) : inner_(inner) {}
    int64_t readAt(uint64_t offset, void* buffer, size_t count) override {
        ++reads;
        return inner_.readAt(offset, buffer, count);
    }
    int64_t writeAt(uint64_t offset, const void* buffer, size_t count) override { return -1; }
    int64_t length() override { return inner_.length(); }
    bool flush() override { return true; }
    int reads = 0;

private:
    platform::Drive& inner_;
};

TEST_F(RealVolume, AContiguousFileIsReadWithOneRequestPerBlockTable) {
    const Inode inode = FileInode();
    CountingDrive counting(*drive_);
    FilePosition position;
    std::vector<uint8_t> buffer(kSize);
    ASSERT_EQ(volume_->fileRead(counting, inode, position, buffer.data(), kSize), static_cast<int32_t>(kSize));
    // The direct blocks; the single-indirect block and its run; the double-indirect block, its
    // first pointer block and that block's run.
    EXPECT_EQ(counting.reads, 6);
    std::vector<uint8_t> expected(kSize);
    nvrtest::fillPattern(kSeed, 0, expected);
    EXPECT_TRUE(buffer == expected);
}

TEST_F(RealVolume, ReadsBeyondTheEndDeliverNothing) {
    const Inode inode = FileInode();
    FilePosition position{static_cast<uint32_t>(kSize / 1024), static_cast<uint32_t>(kSize % 1024)};
    uint8_t buffer[16];
    EXPECT_EQ(volume_->fileRead(*drive_, inode, position, buffer, 16), 0);
    FilePosition beyond{static_cast<uint32_t>(kSize / 1024) + 5, 0};
    EXPECT_EQ(volume_->fileRead(*drive_, inode, beyond, buffer, 16), 0);
}

TEST_F(RealVolume, CorruptBlockPointersEndTheReadEarly) {
    Inode inode = FileInode();
    inode.block[kDoubleIndirect] = volume_->superblock().blocksCount + 10;  // outside the volume
    FilePosition position;
    std::vector<uint8_t> buffer(kSize);
    EXPECT_EQ(volume_->fileRead(*drive_, inode, position, buffer.data(), kSize), 268 * 1024)
        << "the blocks before the double-indirect range are still delivered";
    inode.block[3] = 0xFFFFFFFF;
    FilePosition start;
    EXPECT_EQ(volume_->fileRead(*drive_, inode, start, buffer.data(), kSize), 3 * 1024);
}

TEST_F(RealVolume, HolesReadAsZeros) {
    Inode inode = FileInode();
    inode.block[1] = 0;
    FilePosition position;
    std::vector<uint8_t> buffer(4096);
    ASSERT_EQ(volume_->fileRead(*drive_, inode, position, buffer.data(), 4096), 4096);
    EXPECT_TRUE(std::all_of(buffer.begin() + 1024, buffer.begin() + 2048, [](uint8_t b) { return b == 0; }));
    EXPECT_NE(buffer[0] | buffer[2048] | buffer[2049], 0);
}

TEST_F(RealVolume, InodesOutsideTheVolumeAreNotFound) {
    EXPECT_EQ(volume_->lookup(*drive_, 0).code(), TQHD_E_NOTFOUND);
    EXPECT_EQ(volume_->lookup(*drive_, 0xFFFFFFFF).code(), TQHD_E_NOTFOUND);
    EXPECT_TRUE(volume_->lookup(*drive_, kRootInode));
}

}  // namespace
}  // namespace drelmo
