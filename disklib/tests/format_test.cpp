// Formatting through TQHD_FormatHDDByFind / ByRName: event sequences, e2fsck-clean empty volumes
// of many groups, raw data area descriptors at their units, refusals with the busy list, a stop
// inside an ext2 volume and a disk unplugged while it formats.
#include <algorithm>
#include <cstdio>
#include <future>

#include "../maintenance/maintenance.h"
#include "maintenance_support.h"
#include "tests/image_reading.h"

namespace maintenancetest {
namespace {

using nvrtest::DiskPlan;
using nvrtest::PartitionKind;
using nvrtest::PartitionPlan;
using nvrtest::TreeEntry;

constexpr int32_t kProgress = TQHD_EVENT_FORMAT_PROGRESS;
constexpr int32_t kDone = TQHD_EVENT_FORMAT_DONE;
constexpr uint64_t kUnit = 65536;

PartitionPlan Ext2(uint64_t size, uint32_t blockSize, uint32_t inodeSize, std::vector<std::string> options,
                   std::vector<TreeEntry> tree = {}) {
    PartitionPlan partition;
    partition.sizeBytes = size;
    partition.ext2.blockSize = blockSize;
    partition.ext2.inodeSize = inodeSize;
    partition.ext2.extraOptions = std::move(options);
    partition.ext2.tree = std::move(tree);
    return partition;
}

PartitionPlan Raw(uint64_t size, std::string name = "REC-B") {
    PartitionPlan partition;
    partition.kind = PartitionKind::Raw;
    partition.sizeBytes = size;
    partition.diskName = std::move(name);
    return partition;
}

// Files spread over several groups, so inodes beyond the first inode-table blocks are in use.
std::vector<TreeEntry> Files(int count) {
    std::vector<TreeEntry> tree{TreeEntry::directory("sub/")};
    for (int i = 0; i < count; ++i) {
        tree.push_back(TreeEntry::pattern((i % 2 ? "sub/f" : "f") + std::to_string(i), 3000 + 100 * i, 7 + i));
    }
    return tree;
}

nvrtest::BuiltDisk AddDisk(int number, std::vector<PartitionPlan> partitions) {
    DiskPlan plan;
    plan.partitions = std::move(partitions);
    return Devices().addDisk(number, plan);
}

std::string Prefix(int number) { return "/" + std::to_string(number) + "/"; }

struct Formatted {
    std::vector<Event> events;
    int32_t result = 1;
};

// Formats a listed disk and waits for its end; `onEvent` runs on the worker for every event.
Formatted Format(int number, std::function<int32_t(const Event&)> onEvent = {}) {
    TQHD_HANDLE disk = TQHD_OpenHardDiskByRName(Prefix(number).c_str());
    EventRecorder recorder(disk);
    recorder.onEvent = std::move(onEvent);
    Formatted formatted;
    char text[64] = "";
    EXPECT_EQ(TQHD_FormatHDDByRName(Prefix(number).c_str(), &formatted.result, 0, text, sizeof text), disk);
    EXPECT_EQ(formatted.result, TQHD_OK);
    if (formatted.result == TQHD_OK) recorder.WaitDone(kDone);
    formatted.events = recorder.Events();
    return formatted;
}

std::vector<std::string> RootNames(int number, int volume) {
    std::vector<std::string> names;
    TQHD_HANDLE directory = TQHD_OpenFindFileByRName((Prefix(number) + std::to_string(volume) + "/").c_str());
    TQHD_FIND_DATA first{};
    if (directory != nullptr && TQHD_GetFindFile(directory, &first) == TQHD_OK) {
        for (const TQHD_FIND_DATA* entry = &first; entry != nullptr; entry = entry->pNext) names.push_back(entry->szName);
    }
    TQHD_CloseHandle(directory);
    return names;
}

uint32_t U32(const std::vector<uint8_t>& bytes, size_t offset) {
    return bytes[offset] | bytes[offset + 1] << 8 | bytes[offset + 2] << 16 | static_cast<uint32_t>(bytes[offset + 3]) << 24;
}
uint16_t U16(const std::vector<uint8_t>& bytes, size_t offset) {
    return static_cast<uint16_t>(bytes[offset] | bytes[offset + 1] << 8);
}

class FormatTest : public MaintenanceTest {};

TEST_F(FormatTest, ADiskWithAThreeGroupVolumeSendsTheEventsInOrder) {
    AddDisk(1, {Ext2(24 << 20, 1024, 256, {"-g", "8192"}, Files(4)), Raw(8 << 20)});
    Scan();
    const Formatted formatted = Format(1);
    const std::vector<Event> expected{{kProgress, 2},         {kProgress, 0x1000000},      {kProgress, 0x200000A},
                                      {kProgress, 0x200000A}, {kProgress, 0x200000A + 30}, {kProgress, 0x200000A + 60},
                                      {kProgress, 0x1000001}, {kProgress, 0x2000032},      {kProgress, 0x2000064},
                                      {kDone, TQHD_OK}};
    EXPECT_EQ(formatted.events, expected);
}

struct VolumeCase {
    const char* name;
    uint32_t blockSize;
    uint32_t inodeSize;
    uint64_t size;
    std::vector<std::string> options;
    uint32_t groups;
};

class FormatVolumes : public ::testing::TestWithParam<VolumeCase> {
protected:
    void TearDown() override { RemoveAllDrives(); }
};

// Volumes of Debian's mke2fs -t ext2 (resize_inode, 256-byte inodes) and without resize_inode or
// with 128-byte inodes, with enough groups to reach the backup groups 25, 27 and 49.
TEST_P(FormatVolumes, ComeOutCleanEmptyAndWithBackupsInTheirGroups) {
    const int drive = 2;
    const VolumeCase& c = GetParam();
    const auto built = AddDisk(drive, {Ext2(c.size, c.blockSize, c.inodeSize, c.options, Files(60)), Raw(4 << 20)});
    Scan();
    ASSERT_EQ(RootNames(drive, 0).size(), 31u) << "thirty files and the sub directory";
    const Formatted formatted = Format(drive);
    ASSERT_EQ(formatted.events.back(), (Event{kDone, TQHD_OK}));
    // One progress event per group between the inodes event and the start of volume 1.
    const auto inodesWritten = std::find(formatted.events.begin(), formatted.events.end(), Event{kProgress, 0x200000A});
    const auto rawArea = std::find(formatted.events.begin(), formatted.events.end(), Event{kProgress, 0x1000001});
    ASSERT_LT(inodesWritten, rawArea);
    EXPECT_EQ(rawArea - inodesWritten - 1, c.groups);
    EXPECT_EQ(*(rawArea - 1), (Event{kProgress, static_cast<int32_t>(0x200000A + (c.groups - 1) * 90 / c.groups)}));

    const std::string image = Devices().entryPath(drive);
    const uint64_t volume = built.partitions[0].firstSector * 512;
    const auto check = nvrtest::checkVolume(image, volume);
    EXPECT_TRUE(check.succeeded()) << check.output;
    const auto listing = nvrtest::debugfs(image, volume, "ls -p /");
    EXPECT_EQ(std::count(listing.output.begin(), listing.output.end(), '/'), 3 * 7) << "three entries: " << listing.output;
    EXPECT_NE(listing.output.find("/lost+found/"), std::string::npos) << listing.output;
    const auto lostAndFound = nvrtest::debugfs(image, volume, "stat <11>");
    const uint32_t lostAndFoundBytes = c.blockSize == 1024 ? 12 * 1024 : 4 * 4096;
    EXPECT_NE(lostAndFound.output.find("Size: " + std::to_string(lostAndFoundBytes)), std::string::npos);
    EXPECT_TRUE(RootNames(drive, 0).empty()) << "the library reads the new root (lost+found is not listed)";

    const uint32_t firstDataBlock = c.blockSize == 1024 ? 1 : 0;
    const auto superblock = ReadBytes(image, volume + 1024, 1024);
    const uint32_t blocksPerGroup = U32(superblock, 32);
    for (uint32_t group : {1u, 3u, 5u, 7u, 9u, 25u, 27u, 49u}) {
        if (group >= c.groups) continue;
        const uint64_t at = volume + (uint64_t{group} * blocksPerGroup + firstDataBlock) * c.blockSize;
        const auto copy = ReadBytes(image, at, 1024);
        EXPECT_EQ(U16(copy, 56), 0xEF53) << "group " << group;
        EXPECT_EQ(U16(copy, 90), group) << "s_block_group_nr of group " << group;
        EXPECT_EQ(U32(copy, 12), U32(superblock, 12)) << "free blocks in the copy of group " << group;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, FormatVolumes,
    ::testing::Values(VolumeCase{"Kib1Resize256", 1024, 256, 52 << 20, {"-g", "1024", "-N", "1664"}, 52},
                      VolumeCase{"Kib1Plain128", 1024, 128, 52 << 20, {"-g", "1024", "-O", "^resize_inode"}, 52},
                      VolumeCase{"Kib4Resize256", 4096, 256, 120 << 20, {"-g", "1024", "-N", "960"}, 30},
                      VolumeCase{"Kib4Plain128", 4096, 128, 40 << 20, {"-g", "1024", "-O", "^resize_inode"}, 10}),
    [](const ::testing::TestParamInfo<VolumeCase>& info) { return std::string(info.param.name); });

TEST_F(FormatTest, TheRawAreaGetsItsDescriptorsAtTheirUnitsAndTheNameGoes) {
    const auto built = AddDisk(2, {Ext2(4 << 20, 1024, 256, {}), Raw(10000 * kUnit)});
    const std::string image = Devices().entryPath(2);
    const uint64_t area = built.partitions[1].firstSector * 512;
    WriteText(image + ".faults", "write " + std::to_string(area / 512 + 1) + " 1\n");  // tag sector 1 refuses writes
    Scan();
    ASSERT_STREQ(TQHD_GetDeviceInfoByRName("/2/", 1)->szName, "REC-B");
    ASSERT_EQ(Format(2).events.back(), (Event{kDone, TQHD_OK}));
    const auto super = ReadBytes(image, area, 512);
    EXPECT_EQ(U32(super, 4), 0x5A5A4141u);
    EXPECT_EQ(U32(super, 8), 9900u) << "N";
    EXPECT_EQ(U32(super, 16), 9u) << "D";
    EXPECT_EQ(U32(super, 32), 1u) << "B";
    EXPECT_EQ(U32(super, 36), 10000u) << "T";
    EXPECT_EQ(U32(super, 44), 2u) << "the first sector that takes a write holds the tag";
    EXPECT_EQ(U16(super, 60), 0x1314);
    for (uint32_t copy = 0; copy < 8; ++copy) EXPECT_EQ(U32(super, 132 + 4 * copy), 1 + copy);
    EXPECT_EQ(std::vector<uint8_t>(super.begin() + 165, super.begin() + 197), std::vector<uint8_t>(32, 0));
    EXPECT_EQ(ReadBytes(image, area + 3584, 512), super);
    const auto tag = ReadBytes(image, area + 2 * 512, 512);
    EXPECT_EQ(U32(tag, 0), 0x41615252u);
    EXPECT_EQ(U32(tag, 488), 9900u);
    EXPECT_EQ(ReadBytes(image, area + 9999 * kUnit, 512), super);
    EXPECT_EQ(ReadBytes(image, area + 9999 * kUnit + 2 * 512, 512), tag);
    for (uint32_t copy = 0; copy < 8; ++copy) {
        const auto bitmap = ReadBytes(image, area + (1 + copy) * kUnit, kUnit);
        std::vector<uint8_t> expected(kUnit, 0);
        if (copy < 2) expected[9999 / 8] = 0x80;  // bit 9999: the last unit
        EXPECT_TRUE(bitmap == expected) << "bitmap copy " << copy;
    }
    EXPECT_STREQ(TQHD_GetDeviceInfoByRName("/2/", 1)->szName, "") << "the listed name follows the disk";
}

TEST_F(FormatTest, BusyListsOpenObjectsAndUnsupportedLayoutsAreRefused) {
    AddDisk(1, {Ext2(4 << 20, 1024, 256, {}, Files(2)), Raw(4 << 20)});
    AddDisk(2, {Ext2(4 << 20, 1024, 256, {}), Raw(4 << 20), Ext2(4 << 20, 1024, 256, {})});
    auto blankThird = Raw(4 << 20);
    blankThird.kind = PartitionKind::Blank;
    AddDisk(3, {Ext2(4 << 20, 1024, 256, {}), Raw(4 << 20), blankThird, Ext2(4 << 20, 1024, 256, {})});
    AddDisk(4, {Ext2(4 << 20, 1024, 256, {}), Raw(4 << 20)});
    WriteText(Devices().path() + "/mounts", "/media/nvr 4\n");
    Scan();
    TQHD_HANDLE a = TQHD_OpenFindFileByRName("/1/0/");
    TQHD_HANDLE b1 = TQHD_OpenFindFileByRName("/1/0/");
    TQHD_HANDLE b2 = TQHD_OpenFindFileByRName("/1/0/sub/");
    TQHD_SetExeFileName(a, "A.exe");
    TQHD_SetExeFileName(b1, "B.exe");
    TQHD_SetExeFileName(b2, "B.exe");
    int32_t result = 1;
    char text[64] = "";
    EXPECT_EQ(TQHD_FormatHDDByRName("/1/", &result, 0, text, sizeof text), nullptr);
    EXPECT_EQ(result, TQHD_E_INUSE);
    EXPECT_STREQ(text, "A.exe(1);B.exe(2)");
    char forced[64] = "";
    TQHD_DISK_INFO info{80, 0, 1, 0, {}};
    EXPECT_NE(TQHD_FormatHDDByFind(&info, &result, 1, forced, sizeof forced), nullptr);
    EXPECT_EQ(result, TQHD_E_INUSE) << "forced, but objects are open on the disk";
    EXPECT_STREQ(forced, "");
    for (TQHD_HANDLE handle : {a, b1, b2}) TQHD_CloseHandle(handle);
    TQHD_HANDLE plain = TQHD_OpenFindFileByRName("/1/0/");
    EXPECT_NE(TQHD_FormatHDDByRName("/1/", &result, 0, text, sizeof text), nullptr);
    EXPECT_EQ(result, TQHD_E_INUSE) << "an open directory without a program name";
    TQHD_CloseHandle(plain);

    struct Case {
        const char* rname;
        int32_t result;
    };
    for (const Case& c : {Case{"/2/", TQHD_E_UNRECOGNISED}, Case{"/3/", TQHD_E_BADFS}, Case{"/4/", TQHD_E_INUSE},
                          Case{"/5/", TQHD_E_UNAVAILABLE}}) {
        char unused[16] = "";
        result = 1;
        TQHD_FormatHDDByRName(c.rname, &result, 1, unused, sizeof unused);
        EXPECT_EQ(result, c.result) << c.rname;
    }
    std::remove((Devices().path() + "/mounts").c_str());
    EXPECT_EQ(RootNames(1, 0).size(), 2u) << "nothing was formatted";
}

TEST(BusyList, ItemsAreAppendedWhileRoomIsLeftAndCutToTheBuffer) {
    const std::vector<drelmo::OwnerCount> owners{{"A.exe", 1}, {"B.exe", 2}, {"Player.exe", 12}};
    struct Case {
        int32_t size;
        const char* expected;
    };
    for (const Case& c : {Case{64, "A.exe(1);B.exe(2);Player.exe(12)"}, Case{24, "A.exe(1);B.exe(2);Playe"},
                          Case{14, "A.exe(1)"}, Case{15, "A.exe(1);B.exe"}, Case{6, ""}, Case{7, "A.exe("}}) {
        char text[64] = "";
        drelmo::AppendBusyList(text, c.size, owners);
        EXPECT_STREQ(text, c.expected) << "text size " << c.size;
    }
}

// Volume 0 is formatted, volume 2 is stopped before its first group, volume 3 is not reached.
TEST_F(FormatTest, AStopInsideAnExt2VolumeKeepsTheVolumesAlreadyDone) {
    const auto built = AddDisk(6, {Ext2(8 << 20, 1024, 256, {}, Files(3)), Raw(4 << 20),
                                    Ext2(8 << 20, 1024, 256, {}, Files(3)), Ext2(4 << 20, 1024, 256, {}, Files(3))});
    Scan();
    TQHD_HANDLE disk = TQHD_OpenHardDiskByRName("/6/");
    const Formatted formatted = Format(6, [disk](const Event& event) {
        if (event.code == kProgress && event.value == 0x1000002) TQHD_Stop(disk);
        return event.value;
    });
    ASSERT_GE(formatted.events.size(), 2u);
    EXPECT_EQ(formatted.events.back(), (Event{kDone, TQHD_E_STOPPED}));
    EXPECT_EQ(formatted.events[formatted.events.size() - 2], (Event{kProgress, 0x200000A}));
    const std::string image = Devices().entryPath(6);
    EXPECT_TRUE(nvrtest::checkVolume(image, built.partitions[0].firstSector * 512).succeeded());
    EXPECT_TRUE(RootNames(6, 0).empty());
    EXPECT_STREQ(TQHD_GetDeviceInfoByRName("/6/", 1)->szName, "");
    EXPECT_EQ(RootNames(6, 3).size(), 3u) << "volume 3 keeps its files";
}

// Old inode bitmaps are read in batches; one that cannot be read costs only its own group: the
// format goes on, and the old inodes of the groups before and after it are still cleared.
TEST_F(FormatTest, AnUnreadableOldInodeBitmapCostsOnlyItsGroup) {
    constexpr uint32_t kGroups = 52;
    const auto built = AddDisk(8, {Ext2(52 << 20, 1024, 256, {"-g", "1024", "-N", "1664"}, Files(60)), Raw(4 << 20)});
    Scan();
    const std::string image = Devices().entryPath(8);
    const uint64_t volume = built.partitions[0].firstSector * 512;
    const auto descriptors = ReadBytes(image, volume + 2048, 32 * kGroups);
    const uint32_t inodesPerGroup = U32(ReadBytes(image, volume + 1024, 1024), 40);
    auto blockOf = [&](uint32_t group, uint32_t field) { return volume + uint64_t{U32(descriptors, 32 * group + field)} * 1024; };
    // Where the inodes that a group's old bitmap marks in use lie (beyond those the format writes anew).
    auto usedInodes = [&](uint32_t group) {
        const auto bitmap = ReadBytes(image, blockOf(group, 4), 1024);
        std::vector<uint64_t> places;
        for (uint32_t inode = group == 0 ? 11 : 0; inode < inodesPerGroup; ++inode)
            if ((bitmap[inode / 8] >> (inode % 8)) & 1) places.push_back(blockOf(group, 8) + inode * 256);
        return places;
    };
    std::vector<std::vector<uint64_t>> used;
    for (uint32_t group = 0; group < kGroups; ++group) used.push_back(usedInodes(group));
    const uint32_t faulty = static_cast<uint32_t>(
        std::find_if(used.begin() + 1, used.end(), [](const auto& places) { return !places.empty(); }) - used.begin());
    ASSERT_LT(faulty + 1, kGroups) << "the files fill more than one group";
    ASSERT_FALSE(used[0].empty());

    WriteText(image + ".faults", "read " + std::to_string(blockOf(faulty, 4) / 512) + " 2\n");
    const Formatted formatted = Format(8);
    std::remove((image + ".faults").c_str());
    EXPECT_EQ(formatted.events.back(), (Event{kDone, TQHD_OK}));
    auto cleared = [&](uint64_t place) {
        const auto inode = ReadBytes(image, place, 256);
        return std::all_of(inode.begin(), inode.end(), [](uint8_t byte) { return byte == 0; });
    };
    for (uint32_t group = 0; group < kGroups; ++group) {
        const bool allCleared = std::all_of(used[group].begin(), used[group].end(), cleared);
        EXPECT_EQ(allCleared, group != faulty) << "group " << group;
    }
}

TEST_F(FormatTest, ADiskUnpluggedWhileItFormatsEndsTheWorkerWithACode) {
    AddDisk(7, {Ext2(24 << 20, 1024, 256, {"-g", "1024"}), Raw(4 << 20)});
    Scan();
    TQHD_HANDLE disk = TQHD_OpenHardDiskByRName("/7/");
    EventRecorder recorder(disk);
    std::promise<void> unplugged;
    auto removed = unplugged.get_future();
    recorder.onEvent = [&unplugged](const Event& event) {
        if (event.value == 0x200000A + 3) {  // a group of volume 0 is written
            Devices().remove(7);
            unplugged.set_value();
        }
        return event.value;
    };
    int32_t result = 1;
    char text[8] = "";
    ASSERT_EQ(TQHD_FormatHDDByRName("/7/", &result, 0, text, sizeof text), disk);
    ASSERT_EQ(result, TQHD_OK);
    removed.wait();
    drelmo::TheInventory().RemovalCheck();
    const auto events = recorder.Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), (Event{kDone, TQHD_E_NOTFOUND}));
}

}  // namespace
}  // namespace maintenancetest
