// The inventory as callers see it: which drives are NVR disks, lists, groups, names and volumes.
#include <cstddef>
#include <cstring>

#include "api_support.h"

namespace disktest {
namespace {

class InventoryTest : public ApiTest {};

// Copies a whole disk list: asks for the count first, then for the records.
std::vector<TQHD_DISK_INFO> List(int32_t (*lister)(TQHD_DISK_INFO*, unsigned*)) {
    unsigned count = 0;
    EXPECT_EQ(lister(nullptr, &count), TQHD_OK);
    std::vector<TQHD_DISK_INFO> list(count);
    EXPECT_EQ(lister(list.data(), &count), TQHD_OK);
    list.resize(count);
    return list;
}

std::vector<TQHD_DISK_INFO> HardDisks() { return List(TQHD_GetHardDiskList); }
std::vector<TQHD_DISK_INFO> OtherDisks() { return List(TQHD_GetDiskList); }

const TQHD_DISK_INFO* Find(const std::vector<TQHD_DISK_INFO>& list, int number) {
    for (const auto& info : list) {
        if (info.hdindex == number) return &info;
    }
    return nullptr;
}

TEST_F(InventoryTest, RecognisesNvrDisksBySignatureOrFirstExt2Volume) {
    const auto listed = HardDisks();
    const auto others = OtherDisks();
    struct Case {
        int drive;
        bool listed;
        int32_t size;  // lSize: 80 for NVR disks, else the capacity in MiB
    };
    const Case cases[] = {
        {kMainDisk, true, 80},         {kPlainExt2Disk, true, 80},
        {kSignedNoExt2, true, 80},     {kEmptyNameDisk, true, 80},
        {kLongNameDisk, true, 80},     {kBlankDrive, false, 8},
        {kForeignDrive, false, static_cast<int32_t>(DriveSize(kForeignDrive) >> 20)},
        {kBadBlockSize, false, 80},  // recognised, but its first volume cannot be set up
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("drive " + std::to_string(c.drive));
        const TQHD_DISK_INFO* info = Find(c.listed ? listed : others, c.drive);
        ASSERT_NE(info, nullptr);
        EXPECT_EQ(info->lSize, c.size);
        EXPECT_EQ(Find(c.listed ? others : listed, c.drive), nullptr);
    }
    EXPECT_EQ(Find(listed, 0), nullptr) << "drive 0 stands for the system disk and is never examined";
}

TEST_F(InventoryTest, ListsAreListedOnceWhateverTheNumberOfScans) {
    const size_t first = HardDisks().size();
    for (int i = 0; i < 3; ++i) EXPECT_EQ(HardDisks().size(), first);
    EXPECT_EQ(OtherDisks().size(), 3u);
}

TEST_F(InventoryTest, CountLimitsTheCopiedRecords) {
    unsigned count = 0;
    ASSERT_EQ(TQHD_GetHardDiskList(nullptr, &count), TQHD_OK);
    ASSERT_GE(count, 3u);
    TQHD_DISK_INFO list[3]{};
    list[2].hdindex = -7;
    unsigned two = 2;
    ASSERT_EQ(TQHD_GetHardDiskList(list, &two), TQHD_OK);
    EXPECT_EQ(two, 2u);
    EXPECT_EQ(list[2].hdindex, -7) << "only two records written";
    EXPECT_EQ(TQHD_GetHardDiskList(list, nullptr), TQHD_E_PARAM);
    EXPECT_EQ(TQHD_GetDiskList(list, nullptr), TQHD_E_PARAM);
}

TEST_F(InventoryTest, DisksOfOneRecorderShareAGroupAndUnnamedDisksGetTheirOwn) {
    const auto listed = HardDisks();
    const int32_t main = Find(listed, kMainDisk)->lGroup;
    EXPECT_EQ(Find(listed, kPlainExt2Disk)->lGroup, main) << "same name REC-A";
    EXPECT_NE(Find(listed, kSignedNoExt2)->lGroup, main);
    EXPECT_NE(Find(listed, kEmptyNameDisk)->lGroup, Find(listed, kSignedNoExt2)->lGroup);
    EXPECT_NE(Find(listed, kEmptyNameDisk)->lGroup, Find(listed, kLongNameDisk)->lGroup);
}

TEST_F(InventoryTest, DeviceInfoHoldsTheNameThenTheDriveRecord) {
    static_assert(offsetof(TQHD_DEVICE_INFO, info) == 32);
    static_assert(sizeof(TQHD_DEVICE_INFO) == 112);
    TQHD_DISK_INFO query{};
    query.hdindex = kMainDisk;
    EXPECT_EQ(TQHD_GetDeviceInfo(&query, 0), nullptr);
    const TQHD_DEVICE_INFO* device = TQHD_GetDeviceInfo(&query, 1);
    ASSERT_NE(device, nullptr);
    EXPECT_STREQ(std::string(device->szName, strnlen(device->szName, 32)).c_str(), "REC-A");
    EXPECT_EQ(device->info.hdindex, kMainDisk);
    EXPECT_EQ(device->info.lSize, 80);
    EXPECT_EQ(TQHD_GetDeviceInfoByRName("/1/0/dir/", 1), device) << "the same record at the same address";
    EXPECT_EQ(TQHD_GetDeviceInfoByRName("/1/", 2), nullptr);
    query.hdindex = kBlankDrive;
    EXPECT_EQ(TQHD_GetDeviceInfo(&query, 1), nullptr);
    EXPECT_EQ(TQHD_GetDeviceInfo(nullptr, 1), nullptr);
}

TEST_F(InventoryTest, NamesAreCutAfter32Characters) {
    TQHD_DISK_INFO query{};
    query.hdindex = kLongNameDisk;
    const TQHD_DEVICE_INFO* device = TQHD_GetDeviceInfo(&query, 1);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(std::string(device->szName, 32), std::string(kLongName, 32));
    query.hdindex = kEmptyNameDisk;
    EXPECT_EQ(TQHD_GetDeviceInfo(&query, 1)->szName[0], '\0');
}

TEST_F(InventoryTest, DriverListsNameEveryVolumeWithItsPartition) {
    struct Case {
        int drive;
        std::vector<std::pair<int32_t, int32_t>> volumes;  // (lVolume, lPartition)
    };
    const Case cases[] = {
        {kMainDisk, {{0, 1}, {1, 2}}},
        {kPlainExt2Disk, {{0, 1}, {1, 2}, {2, 3}, {3, 4}}},
        {kSignedNoExt2, {{0, 1}, {1, 2}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("drive " + std::to_string(c.drive));
        TQHD_DRIVER_INFO list[4]{};
        int32_t count = -1;
        ASSERT_EQ(TQHD_GetDriverList(DiskHandle(c.drive), list, &count), TQHD_OK);
        ASSERT_EQ(count, static_cast<int32_t>(c.volumes.size()));
        for (int32_t i = 0; i < count; ++i) {
            EXPECT_EQ(list[i].lVolume, c.volumes[i].first);
            EXPECT_EQ(list[i].lPartition, c.volumes[i].second);
            EXPECT_EQ(list[i].lReserved0, 0);
        }
        const std::string rname = "/" + std::to_string(c.drive) + "/";
        int32_t byName = -1;
        ASSERT_EQ(TQHD_GetDriverListByRName(rname.c_str(), nullptr, &byName), TQHD_OK);
        EXPECT_EQ(byName, count);
    }
}

TEST_F(InventoryTest, DriverListRefusesBadArguments) {
    int32_t count = 0;
    TQHD_DRIVER_INFO list[4]{};
    EXPECT_EQ(TQHD_GetDriverListByRName("1/0/", list, &count), TQHD_E_PARAM);
    EXPECT_EQ(TQHD_GetDriverListByRName("/9/", list, &count), TQHD_E_PARAM);
    EXPECT_EQ(TQHD_GetDriverListByRName(nullptr, list, &count), TQHD_E_PARAM);
    EXPECT_EQ(TQHD_GetDriverListByRName("/1/", list, nullptr), TQHD_E_PARAM);
    EXPECT_EQ(TQHD_GetDriverList(nullptr, list, &count), TQHD_E_PARAM);
    int local = 0;
    EXPECT_EQ(TQHD_GetDriverList(&local, list, &count), TQHD_E_BADHANDLE);
}

TEST_F(InventoryTest, DiskHandlesByNumberAndByRName) {
    TQHD_HANDLE disk = DiskHandle(kMainDisk);
    ASSERT_NE(disk, nullptr);
    EXPECT_EQ(TQHD_OpenHardDiskByRName("/1/"), disk);
    EXPECT_EQ(TQHD_OpenHardDiskByRName("/1/0/dir/x"), disk);
    EXPECT_EQ(TQHD_OpenHardDiskByRName("/12/"), DiskHandle(kLongNameDisk)) << "/12/ is not drive 1";
    EXPECT_EQ(TQHD_OpenHardDiskByRName("\\1\\"), nullptr) << "the drive prefix needs forward slashes";
    EXPECT_EQ(TQHD_OpenHardDiskByRName("/3/"), nullptr) << "a blank drive has no disk handle";
    EXPECT_EQ(TQHD_OpenHardDiskByRName("/1"), nullptr);
    EXPECT_EQ(TQHD_OpenHardDiskByRName(nullptr), nullptr);
    EXPECT_EQ(TQHD_OpenHardDisk(nullptr), nullptr);
    EXPECT_EQ(TQHD_OpenHardDiskByDir("/mnt/video"), nullptr);
    EXPECT_EQ(TQHD_GetFileLength(disk), static_cast<int64_t>(DriveSize(kMainDisk)));
}

}  // namespace
}  // namespace disktest
