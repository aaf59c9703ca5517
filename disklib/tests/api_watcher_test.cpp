// Drives that arrive and go away while the library runs, and handles left on a removed disk.
#include <chrono>
#include <thread>

#include "api_support.h"

namespace disktest {
namespace {

constexpr int kArrivingDisk = 20;
constexpr int kArrivingBlank = 21;

// Waits up to 20 s for a condition that the watcher thread brings about.
template <typename Condition>
bool Eventually(Condition condition) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < until) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return condition();
}

bool OtherDiskListed(int number) {
    unsigned count = 0;
    TQHD_GetDiskList(nullptr, &count);
    std::vector<TQHD_DISK_INFO> list(count + 1);
    TQHD_GetDiskList(list.data(), &count);
    for (unsigned i = 0; i < count; ++i) {
        if (list[i].hdindex == number) return true;
    }
    return false;
}

nvrtest::DiskPlan ArrivingDisk() {
    return nvrtest::standardNvrDisk({nvrtest::TreeEntry::pattern("clip.bin", 200000, 5),
                                     nvrtest::TreeEntry::directory("d/")},
                                    "ARRIVING");
}

class WatcherTest : public ApiTest {};

TEST_F(WatcherTest, ArrivingDrivesAreListedWithoutAskingForAScan) {
    Devices().addDisk(kArrivingDisk, ArrivingDisk());
    Devices().addBlank(kArrivingBlank, 3 << 20);
    // TQHD_OpenHardDisk and TQHD_GetDiskList do not scan: only the watcher can list the drives.
    EXPECT_TRUE(Eventually([] { return DiskHandle(kArrivingDisk) != nullptr; }));
    EXPECT_TRUE(Eventually([] { return OtherDiskListed(kArrivingBlank); }));

    Devices().remove(kArrivingBlank);
    EXPECT_TRUE(Eventually([] { return !OtherDiskListed(kArrivingBlank); }));
    Devices().remove(kArrivingDisk);
    EXPECT_TRUE(Eventually([] { return DiskHandle(kArrivingDisk) == nullptr; }));
}

TEST_F(WatcherTest, HandlesOnARemovedDiskFailCleanly) {
    Devices().addDisk(kArrivingDisk, ArrivingDisk());
    unsigned count = 0;
    ASSERT_EQ(TQHD_GetHardDiskList(nullptr, &count), TQHD_OK);
    TQHD_HANDLE disk = DiskHandle(kArrivingDisk);
    ASSERT_NE(disk, nullptr);
    TQHD_HANDLE file = TQHD_OpenFileByRName("/20/0/clip.bin");
    TQHD_HANDLE whole = TQHD_OpenFileByRName("/20/");
    TQHD_HANDLE dir = TQHD_OpenFindFileByRName("/20/0/");
    ASSERT_TRUE(file && whole && dir);
    ASSERT_EQ(TQHD_SetExeFileName(file, "player"), TQHD_OK);
    uint8_t buffer[4096];
    ASSERT_EQ(TQHD_ReadFile(file, buffer, 100), 100);

    Devices().remove(kArrivingDisk);
    ASSERT_TRUE(Eventually([] { return DiskHandle(kArrivingDisk) == nullptr; }));

    EXPECT_EQ(TQHD_ReadFile(file, buffer, sizeof buffer), -1);
    EXPECT_NE(TQHD_SeekFile(file, 0, 0), TQHD_OK);
    EXPECT_EQ(TQHD_ReadFile(whole, buffer, 512), -1);
    EXPECT_NE(TQHD_SeekFile(whole, 0, 0), TQHD_OK);
    TQHD_FIND_DATA first{};
    EXPECT_EQ(TQHD_GetFindFile(dir, &first), TQHD_OK) << "the listing was read before the disk went away";
    EXPECT_EQ(TQHD_OpenFindFile(disk, nullptr, 0), nullptr);
    EXPECT_EQ(TQHD_OpenFileByFind(disk, &first), nullptr);
    int32_t volumes = 0;
    EXPECT_EQ(TQHD_GetDriverList(disk, nullptr, &volumes), TQHD_E_BADHANDLE);
    EXPECT_EQ(TQHD_GetDriverListByRName("/20/", nullptr, &volumes), TQHD_E_PARAM);
    EXPECT_EQ(TQHD_RegistIntCallBack(disk, 1, nullptr), TQHD_E_PARAM);
    EXPECT_EQ(TQHD_CloseHandle(disk), TQHD_E_BADHANDLE);
    for (TQHD_HANDLE handle : {file, whole, dir}) EXPECT_EQ(TQHD_CloseHandle(handle), TQHD_OK);
}

TEST_F(WatcherTest, ADiskThatComesBackIsListedAgain) {
    Devices().addDisk(kArrivingDisk, ArrivingDisk());
    ASSERT_TRUE(Eventually([] { return DiskHandle(kArrivingDisk) != nullptr; }));
    Devices().remove(kArrivingDisk);
    ASSERT_TRUE(Eventually([] { return DiskHandle(kArrivingDisk) == nullptr; }));
    Devices().addDisk(kArrivingDisk, ArrivingDisk());
    ASSERT_TRUE(Eventually([] { return DiskHandle(kArrivingDisk) != nullptr; }));
    HandleCloser file(TQHD_OpenFileByRName("/20/0/clip.bin"));
    ASSERT_NE(file.get(), nullptr);
    std::vector<uint8_t> expected(200000);
    nvrtest::fillPattern(5, 0, expected);
    EXPECT_TRUE(ReadAll(file.get()) == expected);
    Devices().remove(kArrivingDisk);
    EXPECT_TRUE(Eventually([] { return DiskHandle(kArrivingDisk) == nullptr; }));
}

}  // namespace
}  // namespace disktest
