// Files, whole drives and recordings read through the client, the same in both modes; reads
// larger than the shared section travel in chunks in service mode.
#include <gtest/gtest.h>

#include <cstring>

#include "client_world.h"
#include "disk_image_builder.h"
#include "scenario_drives.h"
#include "scenario_support.h"

namespace clienttest {
namespace {

constexpr int32_t kSection = 1048577;

TEST(ClientReading, AFileReadsToItsBytesWhateverThePieceSize) {
    const std::vector<uint8_t> expected = nvrtest::patternBytes(kBigFileSeed, kBigFileSize);
    const struct {
        int32_t piece;
        const char* why;
    } cases[] = {
        {1000, "small pieces"},
        {kSection, "exactly the section"},
        {kSection + 1, "one byte beyond the section: chunked"},
        {4 << 20, "the whole file in one chunked read"},
    };
    for (const auto& c : cases) {
        ClientHandle file(TQHDC_OpenFileByRName(filesRName("data/big.bin").c_str()));
        ASSERT_NE(file, nullptr) << c.why;
        EXPECT_EQ(TQHDC_GetFileLength(file.get()), static_cast<int64_t>(kBigFileSize)) << c.why;
        EXPECT_TRUE(readAll(file.get(), c.piece) == expected) << c.why;
        EXPECT_EQ(TQHDC_GetFileCurrentPosition(file.get()), static_cast<int64_t>(kBigFileSize)) << c.why;
    }
}

TEST(ClientReading, SeeksMoveThePositionAsTheLibrarys) {
    const std::vector<uint8_t> expected = nvrtest::patternBytes(kBigFileSeed, kBigFileSize);
    ClientHandle file(TQHDC_OpenFileByRName(filesRName("data/big.bin").c_str()));
    ASSERT_NE(file, nullptr);
    const struct {
        int32_t offset;
        int32_t origin;
        int64_t position;
    } cases[] = {{1000, 0, 1000}, {24, 1, 1027}, {-3, 2, static_cast<int64_t>(kBigFileSize) - 3}};
    for (const auto& c : cases) {
        ASSERT_EQ(TQHDC_SeekFile(file.get(), c.offset, c.origin), TQHD_OK) << c.offset;
        EXPECT_EQ(TQHDC_GetFileCurrentPosition(file.get()), c.position);
        uint8_t bytes[3]{};
        ASSERT_EQ(TQHDC_ReadFile(file.get(), bytes, 3), 3);
        EXPECT_TRUE(std::equal(bytes, bytes + 3, expected.begin() + c.position)) << c.offset;
    }
    EXPECT_EQ(TQHDC_SeekFile(file.get(), 0, 7), TQHD_E_PARAM) << "the library's code for a bad origin";
}

TEST(ClientReading, AWholeDriveReadsAsItsImage) {
    const std::string image = readLocalFile(driveDirectory() + "/PhysicalDrive2");
    ClientHandle drive(TQHDC_OpenFileByRName("/2/"));
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(TQHDC_GetFileLength(drive.get()), static_cast<int64_t>(image.size()));
    std::vector<uint8_t> head(2 << 20);
    ASSERT_EQ(TQHDC_ReadFile(drive.get(), head.data(), static_cast<int32_t>(head.size())), 2 << 20);
    EXPECT_EQ(std::memcmp(head.data(), image.data(), head.size()), 0);
    ClientHandle disk(TQHDC_OpenHardDiskByRName("/2/"));
    EXPECT_EQ(TQHDC_GetFileLength(disk.get()), static_cast<int64_t>(image.size())) << "a disk object's length";
}

std::string indexName(const nvrtest::RecordingPlan& recording) {
    return recording.indexPath.substr(recording.indexPath.rfind('/') + 1);
}

TEST(ClientReading, RecordingsServeTheirStreamOpenedEveryWay) {
    ClientHandle disk(TQHDC_OpenHardDiskByRName("/1/"));
    ClientHandle records(TQHDC_OpenFindFileByRName(filesRName("record/").c_str()));
    ASSERT_NE(records, nullptr);
    TQHD_FIND_DATA first{};
    ASSERT_EQ(TQHDC_GetFindFile(records.get(), &first), TQHD_OK);
    for (const nvrtest::RecordingPlan& recording : scenarioRecordings()) {
        const std::vector<uint8_t> expected = nvrtest::expectedStream(recording);
        const TQHD_FIND_DATA* entry = &first;
        while (entry != nullptr && indexName(recording) != entry->szName) entry = entry->pNext;
        ASSERT_NE(entry, nullptr) << recording.indexPath;
        std::vector<uint8_t> index = nvrtest::recordingIndexFile(recording);
        ClientHandle byName(TQHDC_OpenAVFileByRName(filesRName(recording.indexPath).c_str()));
        ClientHandle byFind(TQHDC_OpenAVFileByFind(disk.get(), entry));
        ClientHandle byContent(TQHDC_OpenAVFileByIndexFileCon(disk.get(), reinterpret_cast<char*>(index.data()),
                                                              static_cast<uint32_t>(index.size())));
        for (TQHDC_HANDLE stream : {byName.get(), byFind.get(), byContent.get()}) {
            ASSERT_NE(stream, nullptr) << recording.indexPath;
            EXPECT_EQ(TQHDC_GetFileLength(stream), static_cast<int64_t>(expected.size()));
            EXPECT_TRUE(readAll(stream, 1 << 20) == expected) << recording.indexPath;
        }
    }
}

TEST(ClientReading, ClosedObjectsReleaseTheirConnections) {
    // Temporary connections of earlier queries end as the service notices them gone.
    ASSERT_TRUE(eventually([] { return serviceSessions() == 0; }));
    {
        ClientHandle file(TQHDC_OpenFileByRName(filesRName("hello.txt").c_str()));
        ClientHandle disk(TQHDC_OpenHardDiskByRName("/1/"));
        ASSERT_NE(file, nullptr);
        ASSERT_NE(disk, nullptr);
        if (serviceMode()) EXPECT_EQ(serviceSessions(), 2) << "one connection per object";
    }
    EXPECT_TRUE(eventually([] { return serviceSessions() == 0; }));
}

}  // namespace
}  // namespace clienttest
