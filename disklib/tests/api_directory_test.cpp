// Listing directories and resolving RNames.
#include <algorithm>
#include <set>

#include "api_support.h"

namespace disktest {
namespace {

class DirectoryTest : public ApiTest {};

TEST_F(DirectoryTest, RootListsEntriesInDirectoryOrderAndHidesLostAndFound) {
    HandleCloser root(TQHD_OpenFindFile(DiskHandle(kMainDisk), nullptr, 0));
    ASSERT_NE(root.get(), nullptr);
    const auto names = ListNames(root.get());
    const std::set<std::string> listed(names.begin(), names.end());
    EXPECT_EQ(listed, (std::set<std::string>{"readme.txt", "empty.txt", "big.bin", "dir", "Lost+Found", "many"}));
    EXPECT_EQ(names.size(), listed.size());
}

TEST_F(DirectoryTest, RecordsCarryTypeVolumeAndInode) {
    HandleCloser root(TQHD_OpenFindFileByRName("/1/0/"));
    TQHD_FIND_DATA first{};
    ASSERT_EQ(TQHD_GetFindFile(root.get(), &first), TQHD_OK);
    for (const TQHD_FIND_DATA* record = &first; record != nullptr; record = record->pNext) {
        const std::string name = record->szName;
        EXPECT_EQ(record->lType, name == "dir" || name == "many" || name == "Lost+Found" ? TQHD_TYPE_DIRECTORY
                                                                                         : TQHD_TYPE_FILE)
            << name;
        EXPECT_EQ(record->lVolume, 0);
        EXPECT_GT(record->lInode, 2u);
    }
}

TEST_F(DirectoryTest, ListingTwiceGivesTheSameChain) {
    HandleCloser dir(TQHD_OpenFindFileByRName("/1/0/dir/"));
    TQHD_FIND_DATA first{};
    TQHD_FIND_DATA again{};
    ASSERT_EQ(TQHD_GetFindFile(dir.get(), &first), TQHD_OK);
    ASSERT_EQ(TQHD_GetFindFile(dir.get(), &again), TQHD_OK);
    EXPECT_STREQ(first.szName, again.szName);
    EXPECT_EQ(first.pNext, again.pNext);
    EXPECT_EQ(ListNames(dir.get()).size(), 2u);
}

TEST_F(DirectoryTest, ALargeDirectoryListsEveryEntry) {
    const auto names = ListRName("/1/0/many/");
    ASSERT_EQ(names.size(), static_cast<size_t>(kManyEntries));
    const std::set<std::string> unique(names.begin(), names.end());
    EXPECT_EQ(unique.size(), names.size());
    EXPECT_TRUE(unique.count("f0000") && unique.count("f3799"));
}

TEST_F(DirectoryTest, FreshVolumeListsNothingVisible) {
    HandleCloser root(TQHD_OpenFindFileByRName("/7/0/"));
    ASSERT_NE(root.get(), nullptr);
    TQHD_FIND_DATA first{};
    first.lType = 99;
    EXPECT_EQ(TQHD_GetFindFile(root.get(), &first), TQHD_E_NOTFOUND);
    EXPECT_EQ(first.pNext, nullptr);
    EXPECT_EQ(first.szName[0], '\0');
}

TEST_F(DirectoryTest, RNamesResolveToTheDirectoryTheyName) {
    struct Case {
        const char* rname;
        const char* expectedEntry;  // an entry the opened directory lists; null: the open fails
    };
    const Case cases[] = {
        {"/1/0/", "readme.txt"},       {"/1/0/abc", "readme.txt"},   // the last component is a file name
        {"/1/0/dir/", "file.nvr"},     {"/1/0/DIR/", "file.nvr"},    // names compare ignoring case
        {"/1/0/dir", "readme.txt"},    {"/1/0/dir/sub/", "deep.bin"},
        {"/1/0/dir\\sub\\", "deep.bin"},                             // backslashes after the prefix
        {"/1/0/Dir/SUB/x.bin", "deep.bin"},
        {"/12/0/", "twelve.txt"},      {"/2/0/video/", "clip.bin"},
        {"/2/2/", "p3.txt"},           {"/2/3/", "p4.txt"},
        {"/1/", nullptr},              // too short
        {"\\1\\0\\", nullptr},         // the drive prefix needs forward slashes
        {"/1\\0\\dir\\", nullptr},     // so does the volume ordinal
        {"/1/1/", nullptr},            // the raw data area
        {"/1/5/", nullptr},            // no such volume
        {"/9/0/", nullptr},            // no such disk
        {"/1/0/nope/", nullptr},       {"/1/0/readme.txt/", nullptr},  // only directories are walked
        {"/1/0//", nullptr},           {"1/0/dir/", nullptr},
        {"/5/0/", nullptr},            // a volume without file system
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rname);
        HandleCloser dir(TQHD_OpenFindFileByRName(c.rname));
        if (c.expectedEntry == nullptr) {
            EXPECT_EQ(dir.get(), nullptr);
            continue;
        }
        ASSERT_NE(dir.get(), nullptr);
        const auto names = ListNames(dir.get());
        EXPECT_NE(std::find(names.begin(), names.end(), c.expectedEntry), names.end());
    }
}

TEST_F(DirectoryTest, OverlongRNamesAreRefused) {
    std::string rname = "/1/0/";
    rname.append(300, 'a');
    EXPECT_EQ(TQHD_OpenFindFileByRName(rname.c_str()), nullptr);
    EXPECT_EQ(TQHD_OpenFindFileByRName(nullptr), nullptr);
}

TEST_F(DirectoryTest, OpenFindFileRefusesWhatIsNotADirectoryOfThisDisk) {
    TQHD_HANDLE disk = DiskHandle(kMainDisk);
    EXPECT_EQ(TQHD_OpenFindFile(nullptr, nullptr, 0), nullptr);
    EXPECT_EQ(TQHD_OpenFindFile(disk, nullptr, -1), nullptr);
    EXPECT_EQ(TQHD_OpenFindFile(disk, nullptr, 4), nullptr) << "volume not on the disk";
    EXPECT_EQ(TQHD_OpenFindFile(disk, nullptr, 1), nullptr) << "the raw data area";
    int foreign = 0;
    EXPECT_EQ(TQHD_OpenFindFile(&foreign, nullptr, 0), nullptr);
    TQHD_FIND_DATA missing{};
    missing.lVolume = 0;
    missing.lInode = 0;
    EXPECT_EQ(TQHD_OpenFindFile(disk, &missing, -1), nullptr) << "inode 0";
    missing.lInode = 0x7FFFFFFF;
    EXPECT_EQ(TQHD_OpenFindFile(disk, &missing, -1), nullptr) << "inode beyond the groups";
}

TEST_F(DirectoryTest, ListingAFileIsRefused) {
    HandleCloser root(TQHD_OpenFindFileByRName("/1/0/"));
    TQHD_FIND_DATA first{};
    ASSERT_EQ(TQHD_GetFindFile(root.get(), &first), TQHD_OK);
    const TQHD_FIND_DATA* readme = &first;
    while (readme != nullptr && std::string(readme->szName) != "readme.txt") readme = readme->pNext;
    ASSERT_NE(readme, nullptr);
    HandleCloser file(TQHD_OpenFindFile(DiskHandle(kMainDisk), readme, -1));
    ASSERT_NE(file.get(), nullptr);
    TQHD_FIND_DATA out{};
    EXPECT_EQ(TQHD_GetFindFile(file.get(), &out), TQHD_E_NOTDIR);
    TQHD_FIND_DATA empty{};
    const TQHD_FIND_DATA* emptyRecord = &first;
    while (emptyRecord != nullptr && std::string(emptyRecord->szName) != "empty.txt") emptyRecord = emptyRecord->pNext;
    ASSERT_NE(emptyRecord, nullptr);
    empty = *emptyRecord;
    EXPECT_EQ(TQHD_OpenFindFile(DiskHandle(kMainDisk), &empty, -1), nullptr) << "size 0";
}

TEST_F(DirectoryTest, GetFindFileRefusesOtherHandles) {
    TQHD_FIND_DATA out{};
    EXPECT_EQ(TQHD_GetFindFile(nullptr, &out), TQHD_E_PARAM);
    EXPECT_EQ(TQHD_GetFindFile(DiskHandle(kMainDisk), &out), TQHD_E_PARAM);
    HandleCloser root(TQHD_OpenFindFileByRName("/1/0/"));
    EXPECT_EQ(TQHD_GetFindFile(root.get(), nullptr), TQHD_E_PARAM);
}

}  // namespace
}  // namespace disktest
