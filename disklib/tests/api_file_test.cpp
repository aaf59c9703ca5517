// Reading and positioning files of ext2 volumes and whole drives.
#include "api_support.h"

namespace disktest {
namespace {

class FileTest : public ApiTest {};

std::vector<uint8_t> Pattern(uint64_t seed, uint64_t offset, uint64_t size) {
    std::vector<uint8_t> bytes(size);
    nvrtest::fillPattern(seed, offset, bytes);
    return bytes;
}

TEST_F(FileTest, WholeFilesReadBackByteForByte) {
    struct Case {
        const char* rname;
        uint64_t seed;
        uint64_t size;
        int32_t piece;
    };
    const Case cases[] = {
        {"/1/0/big.bin", kBigFileSeed, kBigFileSize, 1 << 20},       // 1 KiB blocks, double indirect
        {"/1/0/big.bin", kBigFileSeed, kBigFileSize, 1000},          // pieces that cross every boundary
        {"/1/0/dir/sub/deep.bin", kDeepFileSeed, kDeepFileSize, 333},
        {"/2/0/video/clip.bin", kClipSeed, kClipSize, 1 << 20},      // 4 KiB blocks, double indirect
        {"/2/0/video/clip.bin", kClipSeed, kClipSize, 4095},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.rname) + " in pieces of " + std::to_string(c.piece));
        HandleCloser file(TQHD_OpenFileByRName(c.rname));
        ASSERT_NE(file.get(), nullptr);
        EXPECT_EQ(TQHD_GetFileLength(file.get()), static_cast<int64_t>(c.size));
        const auto bytes = ReadAll(file.get(), c.piece);
        ASSERT_EQ(bytes.size(), c.size);
        EXPECT_TRUE(bytes == Pattern(c.seed, 0, c.size));
        EXPECT_EQ(TQHD_GetFileCurrentPosition(file.get()), static_cast<int64_t>(c.size));
    }
}

TEST_F(FileTest, ReadsAcrossBlockAndIndirectBoundaries) {
    HandleCloser file(TQHD_OpenFileByRName("/1/0/big.bin"));
    ASSERT_NE(file.get(), nullptr);
    // Offsets around the ends of the direct blocks (12 KiB) and of the single-indirect range (268 KiB).
    const int32_t offsets[] = {1020, 12 * 1024 - 5, 12 * 1024, 268 * 1024 - 3, 268 * 1024, 299 * 1024 + 1000};
    for (int32_t offset : offsets) {
        SCOPED_TRACE(offset);
        ASSERT_EQ(TQHD_SeekFile(file.get(), offset, 0), TQHD_OK);
        uint8_t buffer[10]{};
        const int32_t want = static_cast<int32_t>(std::min<uint64_t>(10, kBigFileSize - offset));
        ASSERT_EQ(TQHD_ReadFile(file.get(), buffer, 10), want);
        EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + want), Pattern(kBigFileSeed, offset, want));
        EXPECT_EQ(TQHD_GetFileCurrentPosition(file.get()), offset + want);
    }
}

TEST_F(FileTest, ReadsStopAtTheEnd) {
    HandleCloser file(TQHD_OpenFileByRName("/1/0/readme.txt"));
    ASSERT_NE(file.get(), nullptr);
    char buffer[100]{};
    const int32_t size = sizeof kReadmeText - 1;
    EXPECT_EQ(TQHD_ReadFile(file.get(), buffer, sizeof buffer), size) << "a larger read returns the rest";
    EXPECT_STREQ(buffer, kReadmeText);
    EXPECT_EQ(TQHD_ReadFile(file.get(), buffer, sizeof buffer), 0);
    EXPECT_EQ(TQHD_ReadFile(file.get(), buffer, 0), -1) << "a read of 0 bytes is refused";
    EXPECT_EQ(TQHD_ReadFile(file.get(), nullptr, 10), -1);
}

TEST_F(FileTest, SeeksStayInsideTheFile) {
    HandleCloser file(TQHD_OpenFileByRName("/1/0/dir/sub/deep.bin"));
    ASSERT_NE(file.get(), nullptr);
    const int32_t size = static_cast<int32_t>(kDeepFileSize);
    struct Case {
        int32_t offset;
        int32_t origin;
        int32_t result;
        int64_t position;  // after the seek
    };
    const Case cases[] = {
        {100, 0, TQHD_OK, 100},        {size, 0, TQHD_OK, size},        {size + 1, 0, TQHD_E_PARAM, size},
        {-1, 0, TQHD_E_PARAM, size},   {-size, 2, TQHD_OK, 0},          {1, 2, TQHD_E_PARAM, 0},
        {-size - 1, 2, TQHD_E_PARAM, 0}, {0, 2, TQHD_OK, size},         {-10, 1, TQHD_OK, size - 10},
        {11, 1, TQHD_E_PARAM, size - 10}, {10, 1, TQHD_OK, size},       {-size - 1, 1, TQHD_E_PARAM, size},
        {5, 3, TQHD_E_PARAM, size},    {5, -1, TQHD_E_PARAM, size},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.offset) + " from " + std::to_string(c.origin));
        EXPECT_EQ(TQHD_SeekFile(file.get(), c.offset, c.origin), c.result);
        EXPECT_EQ(TQHD_GetFileCurrentPosition(file.get()), c.position);
    }
}

TEST_F(FileTest, EmptyFileOpensReadsNothingAndSeeksOnlyToZero) {
    HandleCloser file(TQHD_OpenFileByRName("/1/0/empty.txt"));
    ASSERT_NE(file.get(), nullptr);
    uint8_t buffer[16];
    EXPECT_EQ(TQHD_GetFileLength(file.get()), 0);
    EXPECT_EQ(TQHD_ReadFile(file.get(), buffer, sizeof buffer), 0);
    EXPECT_EQ(TQHD_SeekFile(file.get(), 0, 0), TQHD_OK);
    EXPECT_EQ(TQHD_SeekFile(file.get(), 0, 2), TQHD_OK);
    EXPECT_EQ(TQHD_SeekFile(file.get(), 1, 0), TQHD_E_PARAM);
    EXPECT_EQ(TQHD_SeekFile(file.get(), -1, 2), TQHD_E_PARAM);
}

TEST_F(FileTest, FileRNamesFindFilesOnly) {
    struct Case {
        const char* rname;
        bool opens;
    };
    const Case cases[] = {
        {"/1/0/dir/file.nvr", true},  {"/1/0/DIR/FILE.NVR", true}, {"/1/0/dir\\file.nvr", true},
        {"/1/0/readme.txt", true},    {"/12/0/twelve.txt", true},  {"/2/3/p4.txt", true},
        {"/1/0/dir/", false},  // the empty name
        {"/1/0/", false},      {"/1/0/dir", false},  // a directory is not a file
        {"/1/0/missing", false},      {"/3/0/a", false},           {"/1/1/a", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rname);
        HandleCloser file(TQHD_OpenFileByRName(c.rname));
        EXPECT_EQ(file.get() != nullptr, c.opens);
    }
}

TEST_F(FileTest, FindRecordsOpenFilesAndDirectoriesAsFiles) {
    HandleCloser root(TQHD_OpenFindFileByRName("/1/0/"));
    TQHD_FIND_DATA first{};
    ASSERT_EQ(TQHD_GetFindFile(root.get(), &first), TQHD_OK);
    TQHD_HANDLE disk = DiskHandle(kMainDisk);
    for (const TQHD_FIND_DATA* record = &first; record != nullptr; record = record->pNext) {
        SCOPED_TRACE(record->szName);
        HandleCloser file(TQHD_OpenFileByFind(disk, record));
        ASSERT_NE(file.get(), nullptr);
        if (record->lType == TQHD_TYPE_DIRECTORY) {
            EXPECT_GE(TQHD_GetFileLength(file.get()), 1024) << "a directory opens as its content";
        }
    }
    TQHD_FIND_DATA bad = first;
    bad.lVolume = 3;
    EXPECT_EQ(TQHD_OpenFileByFind(disk, &bad), nullptr);
    EXPECT_EQ(TQHD_OpenFileByFind(disk, nullptr), nullptr);
    EXPECT_EQ(TQHD_OpenFileByFind(nullptr, &first), nullptr);
}

class WholeDiskTest : public ApiTest {};

TEST_F(WholeDiskTest, ReadsTheDriveAsOneFile) {
    HandleCloser drive(TQHD_OpenFileByRName("/1/"));
    ASSERT_NE(drive.get(), nullptr);
    const std::string image = Devices().entryPath(kMainDisk);
    const auto expected = ReadWholeFile(image);
    EXPECT_EQ(TQHD_GetFileLength(drive.get()), static_cast<int64_t>(expected.size()));
    const auto bytes = ReadAll(drive.get());
    EXPECT_TRUE(bytes == expected);
    uint8_t sector[512];
    EXPECT_EQ(TQHD_ReadFile(drive.get(), sector, 512), 0) << "at the end";
    EXPECT_EQ(TQHD_GetFileCurrentPosition(drive.get()), -1) << "whole drives do not report their position";
}

TEST_F(WholeDiskTest, SeeksStayInsideTheDrive) {
    HandleCloser drive(TQHD_OpenFileByRName("/2/"));
    ASSERT_NE(drive.get(), nullptr);
    const auto expected = ReadWholeFile(Devices().entryPath(kPlainExt2Disk));
    const int32_t length = static_cast<int32_t>(expected.size());
    EXPECT_EQ(TQHD_SeekFile(drive.get(), -512, 2), TQHD_OK);
    uint8_t sector[512];
    ASSERT_EQ(TQHD_ReadFile(drive.get(), sector, 512), 512);
    EXPECT_TRUE(std::equal(sector, sector + 512, expected.end() - 512));
    EXPECT_EQ(TQHD_SeekFile(drive.get(), 1, 2), TQHD_E_PARAM);
    EXPECT_EQ(TQHD_SeekFile(drive.get(), length, 0), TQHD_OK);
    EXPECT_EQ(TQHD_SeekFile(drive.get(), length + 1, 0), TQHD_E_PARAM);
    EXPECT_EQ(TQHD_SeekFile(drive.get(), -length, 1), TQHD_OK);
    EXPECT_EQ(TQHD_SeekFile(drive.get(), -1, 1), TQHD_E_PARAM);
    ASSERT_EQ(TQHD_ReadFile(drive.get(), sector, 512), 512);
    EXPECT_TRUE(std::equal(sector, sector + 512, expected.begin()));
}

TEST_F(WholeDiskTest, PartialSectorsAreRefused) {
    HandleCloser drive(TQHD_OpenFileByRName("/1/"));
    uint8_t buffer[1024];
    EXPECT_EQ(TQHD_ReadFile(drive.get(), buffer, 100), -1);
    ASSERT_EQ(TQHD_SeekFile(drive.get(), 10, 0), TQHD_OK);
    EXPECT_EQ(TQHD_ReadFile(drive.get(), buffer, 512), -1);
}

TEST_F(WholeDiskTest, OnlyTheExactDrivePrefixNamesAWholeDrive) {
    HandleCloser twelve(TQHD_OpenFileByRName("/12/"));
    ASSERT_NE(twelve.get(), nullptr);
    EXPECT_EQ(TQHD_GetFileLength(twelve.get()), static_cast<int64_t>(DriveSize(kLongNameDisk)));
    EXPECT_EQ(TQHD_OpenFileByRName("/3/"), nullptr) << "not an NVR disk";
    EXPECT_EQ(TQHD_OpenFileByRName("/2/0/"), nullptr) << "a file with an empty name";
}

}  // namespace
}  // namespace disktest
