// The builder's pattern bytes, boot record, partition layout and non-ext2 partition contents.
#include "disk_image_builder.h"

#include "image_reading.h"

#include <nvr/byte_reader.h>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <unordered_set>

namespace nvrtest {
namespace {

TEST(PatternBytes, EveryWayOfAskingGivesTheSameBytes) {
    std::vector<uint8_t> whole = patternBytes(7, 4099);
    for (uint64_t offset = 0; offset < whole.size(); ++offset) ASSERT_EQ(whole[offset], patternByte(7, offset)) << offset;
    std::vector<uint8_t> piece(101);
    fillPattern(7, 13, piece);  // starts and ends inside a word
    EXPECT_EQ(piece, std::vector<uint8_t>(whole.begin() + 13, whole.begin() + 114));
}

TEST(PatternBytes, DoesNotRepeatAndDependsOnTheSeed) {
    std::vector<uint8_t> bytes = patternBytes(1, 1 << 20);
    std::unordered_set<uint64_t> words;
    for (size_t offset = 0; offset < bytes.size(); offset += 8) {
        nvr::ByteReader reader(bytes.data() + offset, 8);
        words.insert(reader.u64le(0));
    }
    EXPECT_EQ(words.size(), bytes.size() / 8);
    EXPECT_NE(patternBytes(2, 4096), patternBytes(1, 4096));
    EXPECT_NE(patternBytes(1, 8), std::vector<uint8_t>(8, 0));
}

class DiskImageTest : public ::testing::Test {
protected:
    std::string build(const DiskPlan& plan) { return buildDiskImage(plan, image_).path; }
    std::vector<uint8_t> bytesAt(uint64_t offset, size_t count) { return readBytes(image_, offset, count); }

    TempDir scratch_;
    std::string image_ = scratch_.file("disk.img");
};

PartitionPlan blankPartition(uint64_t sizeBytes, uint8_t type) {
    PartitionPlan partition;
    partition.kind = PartitionKind::Blank;
    partition.sizeBytes = sizeBytes;
    partition.type = type;
    return partition;
}

TEST_F(DiskImageTest, PartitionEntriesDescribeTheLayout) {
    DiskPlan plan;
    plan.firstPartitionSector = 63;  // an unaligned start is kept; later partitions are aligned
    plan.partitions = {blankPartition(1 << 20, 0x83), blankPartition(3 * 512, 0xDA),
                       blankPartition(1 << 20, 0), blankPartition(1 << 20, 0x07)};
    plan.trailingBytes = 4096;
    BuiltDisk built = buildDiskImage(plan, image_);

    std::vector<BuiltPartition> expected = {{63, 2048}, {4096, 3}, {6144, 2048}, {8192, 2048}};
    ASSERT_EQ(built.partitions.size(), expected.size());
    std::vector<uint8_t> sector = bytesAt(0, 512);
    for (size_t index = 0; index < expected.size(); ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(built.partitions[index].firstSector, expected[index].firstSector);
        EXPECT_EQ(built.partitions[index].sectorCount, expected[index].sectorCount);
        nvr::ByteReader entry(sector.data() + 446 + 16 * index, 16);
        bool empty = plan.partitions[index].type == 0;
        EXPECT_EQ(entry.u8(4), plan.partitions[index].type);
        EXPECT_EQ(entry.u32le(8), empty ? 0 : expected[index].firstSector);
        EXPECT_EQ(entry.u32le(12), empty ? 0 : expected[index].sectorCount);
        for (size_t offset : {0, 1, 2, 3, 5, 6, 7}) EXPECT_EQ(entry.u8(offset), 0) << "status/CHS byte " << offset;
    }
    EXPECT_EQ(built.sizeBytes, (8192 + 2048) * 512ull + 4096);
    struct stat status {};
    ASSERT_EQ(::stat(image_.c_str(), &status), 0);
    EXPECT_EQ(static_cast<uint64_t>(status.st_size), built.sizeBytes);
}

struct BootRecordCase {
    const char* name;
    std::function<void(DiskPlan&)> change;
    std::string bytes196To211;  // signature, terminator and the byte after it
    std::string bytes510To511;
};

void PrintTo(const BootRecordCase& value, std::ostream* out) { *out << value.name; }

class BootRecordTest : public DiskImageTest, public ::testing::WithParamInterface<BootRecordCase> {};

TEST_P(BootRecordTest, SignatureAndMarkerBytes) {
    DiskPlan plan;
    plan.partitions = {blankPartition(1 << 20, 0x83)};
    GetParam().change(plan);
    build(plan);
    std::vector<uint8_t> signature = bytesAt(196, 16);
    std::vector<uint8_t> marker = bytesAt(510, 2);
    EXPECT_EQ(std::string(signature.begin(), signature.end()), GetParam().bytes196To211);
    EXPECT_EQ(std::string(marker.begin(), marker.end()), GetParam().bytes510To511);
}

using namespace std::string_literals;
INSTANTIATE_TEST_SUITE_P(
    Options, BootRecordTest,
    ::testing::Values(
        BootRecordCase{"Default", [](DiskPlan&) {}, "KXVO-CORVANTEX\0\0"s, "\x55\xAA"},
        BootRecordCase{"OtherText", [](DiskPlan& plan) { plan.signatureText = "kxvo-corvantex"; },
                       "kxvo-corvantex\0\0"s, "\x55\xAA"},
        BootRecordCase{"LongerTextRunsOverTerminator", [](DiskPlan& plan) { plan.signatureText = "KXVO-CORVANTEXY"; },
                       "KXVO-CORVANTEXY\0"s, "\x55\xAA"},
        BootRecordCase{"Terminator", [](DiskPlan& plan) { plan.signatureTerminator = ' '; },
                       "KXVO-CORVANTEX \0"s, "\x55\xAA"},
        BootRecordCase{"NoSignature", [](DiskPlan& plan) { plan.signature = false; }, std::string(16, '\0'),
                       "\x55\xAA"},
        BootRecordCase{"NoMarker", [](DiskPlan& plan) { plan.bootMarker = false; }, "KXVO-CORVANTEX\0\0"s,
                       std::string(2, '\0')}),
    [](const auto& info) { return std::string(info.param.name); });

class RawAreaNameTest : public DiskImageTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(RawAreaNameTest, WholeNameTextAtByte165AndZerosElsewhere) {
    DiskPlan plan = standardNvrDisk({}, GetParam());
    BuiltDisk built = buildDiskImage(plan, image_);
    std::vector<uint8_t> sector = bytesAt(built.partitions[1].firstSector * 512, 512);
    std::vector<uint8_t> expected(512, 0);
    std::copy(GetParam().begin(), GetParam().end(), expected.begin() + 165);
    EXPECT_EQ(sector, expected);
}

INSTANTIATE_TEST_SUITE_P(Names, RawAreaNameTest,
                         ::testing::Values("", "CAM-01", std::string(32, 'N'), std::string(40, 'L') + "TAIL"),
                         [](const auto& info) { return "Length" + std::to_string(info.param.size()); });

TEST_F(DiskImageTest, PatternPartitionsHoldTheirSeedsBytes) {
    DiskPlan plan;
    PartitionPlan byIndex = blankPartition(1 << 20, 0x83);
    byIndex.kind = PartitionKind::Pattern;
    PartitionPlan bySeed = byIndex;
    bySeed.sizeBytes = 3 << 20;  // more than one write piece
    bySeed.patternSeed = 99;
    plan.partitions = {byIndex, bySeed};
    BuiltDisk built = buildDiskImage(plan, image_);
    EXPECT_EQ(bytesAt(built.partitions[0].firstSector * 512, 1 << 20), patternBytes(1, 1 << 20));
    EXPECT_EQ(bytesAt(built.partitions[1].firstSector * 512, 3 << 20), patternBytes(99, 3 << 20));
}

TEST_F(DiskImageTest, ZeroSpaceIsLeftSparse) {
    BuiltDisk built = buildDiskImage(standardNvrDisk({TreeEntry::text("a.txt", "a")}, "SPARSE"), image_);
    struct stat status {};
    ASSERT_EQ(::stat(image_.c_str(), &status), 0);
    EXPECT_LT(static_cast<uint64_t>(status.st_blocks) * 512, built.sizeBytes / 2);
}

TEST_F(DiskImageTest, RefusesLayoutsABootRecordCannotHold) {
    DiskPlan five;
    five.partitions.assign(5, blankPartition(1 << 20, 0x83));
    DiskPlan partialSector;
    partialSector.partitions = {blankPartition(1000, 0x83)};
    DiskPlan beyondEntryRange;
    beyondEntryRange.firstPartitionSector = 0xFFFFF000ull;
    beyondEntryRange.partitions = {blankPartition(8 << 20, 0x83)};
    for (const DiskPlan* plan : {&five, &partialSector, &beyondEntryRange}) {
        EXPECT_THROW(buildDiskImage(*plan, image_), std::invalid_argument);
        EXPECT_NE(::access(image_.c_str(), F_OK), 0);
    }
}

}  // namespace
}  // namespace nvrtest
