// Drive lists, device names, volumes and directory listings, the same in both modes.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "scenario_drives.h"
#include "scenario_support.h"

namespace clienttest {
namespace {

TEST(ClientListing, ListsTheNvrDisksWithTheirNames) {
    const auto disks = listedDisks();
    ASSERT_GE(disks.size(), 3u);
    std::set<int> drives;
    for (const TQHD_DISK_INFO& info : disks) drives.insert(info.hdindex);
    EXPECT_TRUE(drives.count(kFilesDrive) == 1 && drives.count(2) == 1);
    const TQHD_DISK_INFO files = diskInfoOf(kFilesDrive);
    EXPECT_EQ(files.lSize, 80);
    const char* name = TQHDC_GetDeviceInfo(&files, 1);
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, kFilesDiskName);
}

TEST(ClientListing, ACountBelowTheDisksLimitsTheRecords) {
    TQHD_DISK_INFO records[3]{};
    unsigned count = 2;
    ASSERT_EQ(TQHDC_GetHardDiskList(records, &count), TQHD_OK);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(records[2].hdindex, 0) << "nothing is written past the count";
    EXPECT_EQ(records[0].lSize, 80);
}

TEST(ClientListing, OtherDrivesAreListedApart) {
    unsigned count = 0;
    ASSERT_EQ(TQHDC_GetDiskList(nullptr, &count), TQHD_OK);
    std::vector<TQHD_DISK_INFO> others(count);
    if (count > 0) ASSERT_EQ(TQHDC_GetDiskList(others.data(), &count), TQHD_OK);
    for (unsigned index = 0; index < count; ++index) EXPECT_NE(others[index].hdindex, kFilesDrive);
}

TEST(ClientListing, VolumesByDiskObjectAndByName) {
    const TQHD_DISK_INFO info = diskInfoOf(kFilesDrive);
    ClientHandle disk(TQHDC_OpenHardDisk(&info));
    ASSERT_NE(disk, nullptr);
    TQHD_DRIVER_INFO byHandle[4]{};
    int32_t handleCount = 0;
    ASSERT_EQ(TQHDC_GetDriverList(disk.get(), byHandle, &handleCount), TQHD_OK);
    TQHD_DRIVER_INFO byName[4]{};
    int32_t nameCount = 0;
    ASSERT_EQ(TQHDC_GetDriverListByRName("/1/", byName, &nameCount), TQHD_OK);
    ASSERT_EQ(handleCount, 2);
    ASSERT_EQ(nameCount, 2);
    for (int index = 0; index < 2; ++index) {
        EXPECT_EQ(byHandle[index].lVolume, byName[index].lVolume);
        EXPECT_EQ(byHandle[index].lPartition, byName[index].lPartition);
    }
    EXPECT_EQ(byHandle[1].lPartition, TQHD_RAW_PARTITION);
}

TEST(ClientListing, TheCrowdedDirectoryArrivesAsOneLinkedList) {
    ClientHandle directory(TQHDC_OpenFindFileByRName(filesRName("crowd/").c_str()));
    ASSERT_NE(directory, nullptr);
    TQHD_FIND_DATA first{};
    ASSERT_EQ(TQHDC_GetFindFile(directory.get(), &first), TQHD_OK);
    std::set<std::string> names;
    size_t walked = 0;
    for (const TQHD_FIND_DATA* record = &first; record != nullptr && walked <= kCrowdedEntries; record = record->pNext) {
        names.insert(record->szName);
        ++walked;
        EXPECT_EQ(record->lType, TQHD_TYPE_FILE);
    }
    EXPECT_EQ(walked, static_cast<size_t>(kCrowdedEntries));
    EXPECT_EQ(names.size(), static_cast<size_t>(kCrowdedEntries));
    EXPECT_EQ(names.count("e0000"), 1u);
    EXPECT_EQ(names.count("e3799"), 1u);
}

TEST(ClientListing, RootListingFromADiskObjectOpensItsFiles) {
    ClientHandle disk(TQHDC_OpenHardDiskByRName("/1/"));
    ASSERT_NE(disk, nullptr);
    ClientHandle root(TQHDC_OpenFindFile(disk.get(), nullptr, 0));
    ASSERT_NE(root, nullptr);
    TQHD_FIND_DATA first{};
    ASSERT_EQ(TQHDC_GetFindFile(root.get(), &first), TQHD_OK);
    const TQHD_FIND_DATA* hello = nullptr;
    const TQHD_FIND_DATA* data = nullptr;
    for (const TQHD_FIND_DATA* record = &first; record != nullptr; record = record->pNext) {
        if (std::string(record->szName) == "hello.txt") hello = record;
        if (std::string(record->szName) == "data") data = record;
    }
    ASSERT_NE(hello, nullptr);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->lType, TQHD_TYPE_DIRECTORY);
    ClientHandle file(TQHDC_OpenFileByFind(disk.get(), hello));
    ASSERT_NE(file, nullptr);
    const auto bytes = readAll(file.get(), 4096);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "hello from the files drive\n");
    ClientHandle sub(TQHDC_OpenFindFile(disk.get(), data, 0));
    ASSERT_NE(sub, nullptr);
    TQHD_FIND_DATA inside{};
    ASSERT_EQ(TQHDC_GetFindFile(sub.get(), &inside), TQHD_OK);
    EXPECT_STREQ(inside.szName, "big.bin");
}

TEST(ClientDeviceInfo, AnUnlistedDiskHasNoTextAndEachCallOverwritesTheLast) {
    TQHD_DISK_INFO unlisted{};
    unlisted.hdindex = 20;
    const char* none = TQHDC_GetDeviceInfo(&unlisted, 1);
    EXPECT_TRUE(none == nullptr || none[0] == '\0');
    const char* first = TQHDC_GetDeviceInfoByRName("/2/", 1);
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first, "CLIENT-SMALL-A");
    const char* second = TQHDC_GetDeviceInfoByRName("/1/", 1);
    ASSERT_NE(second, nullptr);
    EXPECT_STREQ(second, kFilesDiskName);
    EXPECT_STREQ(first, kFilesDiskName) << "one buffer serves both calls";
    const char* cleared = TQHDC_GetDeviceInfoByRName(nullptr, 1);
    EXPECT_EQ(cleared, second) << "no text clears the buffer in place";
    EXPECT_EQ(second[0], '\0');
}

}  // namespace
}  // namespace clienttest
