// The NVRFS_ functions of the shared library on drives in the test's own device directory:
// opening by drive number and index data and by path (through the directory's "mounts" file),
// reading, seeking, times, the probes and null handles.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "device_dir_env.h"
#include "nvrfs.h"
#include "recording_builder.h"

namespace {

constexpr int kRecordingDrive = 1;
constexpr int kPlainDrive = 2;   // valid boot record, raw area without RawSuperBlock
constexpr int kBlankDrive = 3;   // no boot record
constexpr int kAbsentDrive = 9;

nvrtest::RecordingPlan sampleRecording() {
    nvrtest::RecordingPlan recording;
    recording.indexPath = "ch3.nvr";
    recording.channel = 3;
    recording.begin = {26, 3, 11, 22, 15, 0};
    recording.end = {26, 3, 11, 22, 19, 59};
    recording.payloadLength = 6 * nvrtest::kRawUnitSize + 12345;
    recording.dataUnits = {30, 31, 32, 5, 6, 60, 2};
    recording.style = nvrtest::IndexStyle::Mixed;
    recording.garbageEvery = 3;
    return recording;
}

nvrtest::DiskPlan diskWithoutVolume() {
    nvrtest::PartitionPlan first;
    first.kind = nvrtest::PartitionKind::Blank;
    first.sizeBytes = 1 << 20;
    nvrtest::PartitionPlan area;
    area.kind = nvrtest::PartitionKind::Raw;
    area.sizeBytes = 8 << 20;
    area.diskName = "API-TEST";
    nvrtest::DiskPlan plan;
    plan.partitions = {first, area};
    return plan;
}

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
}

// Reads the whole stream in 100000-byte pieces.
std::vector<uint8_t> readAll(NVRFS_HANDLE handle) {
    std::vector<uint8_t> all;
    std::vector<char> piece(100000);
    for (int32_t got; (got = NVRFS_read(piece.data(), 1, static_cast<uint32_t>(piece.size()), handle)) > 0;)
        all.insert(all.end(), piece.begin(), piece.begin() + got);
    return all;
}

class QuarnelApi : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string devices = nvrtest::testDeviceDirectory();
        const nvrtest::DeviceDirectory directory(devices);
        const std::string image = devices + "/.PhysicalDrive1.tmp";
        const nvrtest::BuiltDisk built = nvrtest::buildDiskImage(diskWithoutVolume(), image);
        nvrtest::writeRawArea(image, built.partitions[1], {sampleRecording()});
        std::filesystem::rename(image, directory.entryPath(kRecordingDrive));
        directory.addDisk(kPlainDrive, diskWithoutVolume());
        directory.addBlank(kBlankDrive, 1 << 20);
        // Directories standing for volumes of drives 1 and 2, declared in the mounts file.
        for (const char* volume : {"volume1", "volume2", "elsewhere"}) std::filesystem::create_directories(devices + "/" + volume);
        std::ofstream(devices + "/mounts") << devices << "/volume1 1\n" << devices << "/volume2 2\n";
        writeFile(indexPath(), nvrtest::recordingIndexFile(sampleRecording()));
        writeFile(devices + "/volume2/ch3.nvr", nvrtest::recordingIndexFile(sampleRecording()));
        writeFile(devices + "/elsewhere/ch3.nvr", nvrtest::recordingIndexFile(sampleRecording()));
    }
    static std::string indexPath() { return nvrtest::testDeviceDirectory() + "/volume1/ch3.nvr"; }

    static NVRFS_HANDLE openBuffer(int drive) {
        std::vector<uint8_t> index = nvrtest::recordingIndexFile(sampleRecording());
        return NVRFS_open_BufferMode(drive, reinterpret_cast<char*>(index.data()), static_cast<uint32_t>(index.size()));
    }
};

TEST_F(QuarnelApi, ByDriveNumberAndByPathTheSameStreamIsServed) {
    const std::vector<uint8_t> expected = nvrtest::expectedStream(sampleRecording());
    NVRFS_HANDLE byNumber = openBuffer(kRecordingDrive);
    NVRFS_HANDLE byPath = NVRFS_open(indexPath().c_str(), 0);
    ASSERT_NE(byNumber, nullptr);
    ASSERT_NE(byPath, nullptr);
    for (NVRFS_HANDLE handle : {byNumber, byPath}) {
        EXPECT_EQ(NVRFS_GetFileSize(handle), static_cast<int64_t>(expected.size()));
        EXPECT_EQ(readAll(handle), expected);
        EXPECT_EQ(NVRFS_tell(handle), static_cast<int32_t>(expected.size()));
        NVRFS_close(handle);
    }
}

TEST_F(QuarnelApi, OpensThatFail) {
    EXPECT_EQ(openBuffer(kPlainDrive), nullptr);
    EXPECT_EQ(openBuffer(kBlankDrive), nullptr);
    EXPECT_EQ(openBuffer(kAbsentDrive), nullptr);
    EXPECT_EQ(openBuffer(-1), nullptr);
    char shortData[31] = {};
    EXPECT_EQ(NVRFS_open_BufferMode(kRecordingDrive, shortData, sizeof shortData), nullptr);
    EXPECT_EQ(NVRFS_open_BufferMode(kRecordingDrive, nullptr, 100), nullptr);
    const std::string devices = nvrtest::testDeviceDirectory();
    EXPECT_EQ(NVRFS_open((devices + "/volume2/ch3.nvr").c_str(), 0), nullptr);   // no raw area on drive 2
    EXPECT_EQ(NVRFS_open((devices + "/elsewhere/ch3.nvr").c_str(), 0), nullptr);  // on no drive
    EXPECT_EQ(NVRFS_open((devices + "/volume1/missing.nvr").c_str(), 0), nullptr);
    EXPECT_EQ(NVRFS_open("", 0), nullptr);
    EXPECT_EQ(NVRFS_open(nullptr, 0), nullptr);
    // A path of 259 bytes (repeated slashes) still names the file; 260 bytes are refused.
    const std::string directory = devices + "/volume1";
    const std::string fits = directory + std::string(259 - directory.size() - 8, '/') + "/ch3.nvr";
    ASSERT_EQ(fits.size(), 259u);
    NVRFS_HANDLE handle = NVRFS_open(fits.c_str(), 0);
    EXPECT_NE(handle, nullptr);
    NVRFS_close(handle);
    const std::string tooLong = "/" + fits;
    EXPECT_EQ(NVRFS_open(tooLong.c_str(), 0), nullptr);
    EXPECT_EQ(NVRFS_IsNvrFile(tooLong.c_str()), 1u);
}

TEST_F(QuarnelApi, ProbesAnswerInCodes) {
    EXPECT_EQ(NVRFS_IsNvrPhysicalDrive(kRecordingDrive), 2u);
    EXPECT_EQ(NVRFS_IsNvrPhysicalDrive(kPlainDrive), 3u);
    EXPECT_EQ(NVRFS_IsNvrPhysicalDrive(kBlankDrive), 1u);
    EXPECT_EQ(NVRFS_IsNvrPhysicalDrive(kAbsentDrive), 1u);
    const std::string devices = nvrtest::testDeviceDirectory();
    EXPECT_EQ(NVRFS_IsNvrFile(indexPath().c_str()), 2u);
    EXPECT_EQ(NVRFS_IsNvrFile((devices + "/volume2/ch3.nvr").c_str()), 3u);
    EXPECT_EQ(NVRFS_IsNvrFile((devices + "/elsewhere/ch3.nvr").c_str()), 1u);
    EXPECT_EQ(NVRFS_IsNvrFile(""), 0u);
    EXPECT_EQ(NVRFS_IsNvrFile(nullptr), 0u);
}

TEST_F(QuarnelApi, TimesSeeksAndReadsThroughTheHandle) {
    NVRFS_HANDLE handle = openBuffer(kRecordingDrive);
    ASSERT_NE(handle, nullptr);
    NVRFS_SYSTEMTIME begin{}, end{};
    ASSERT_EQ(NVRFS_GetTimeInfo(handle, &begin, &end), 1);
    EXPECT_EQ(begin.wYear, 2026);
    EXPECT_EQ(begin.wMonth, 3);
    EXPECT_EQ(begin.wDay, 11);
    EXPECT_EQ(begin.wHour, 22);
    EXPECT_EQ(end.wMinute, 19);
    EXPECT_EQ(end.wSecond, 59);
    EXPECT_EQ(end.wDayOfWeek, 0);
    const int64_t length = NVRFS_GetFileSize(handle);
    EXPECT_EQ(NVRFS_seek(handle, 0, 2), static_cast<int32_t>(length));
    EXPECT_EQ(NVRFS_seek(handle, 1, 2), -1);
    EXPECT_EQ(NVRFS_seek(handle, -1, 0), -1);
    EXPECT_EQ(NVRFS_tell(handle), static_cast<int32_t>(length));
    char buffer[64];
    EXPECT_EQ(NVRFS_read(buffer, 1, sizeof buffer, handle), 0);
    ASSERT_EQ(NVRFS_seek(handle, 60, 0), 60);
    EXPECT_EQ(NVRFS_read(buffer, 4, 4, handle), 16) << "the result counts bytes, not items";
    const std::vector<uint8_t> expected = nvrtest::expectedStream(sampleRecording());
    EXPECT_EQ(std::vector<uint8_t>(buffer, buffer + 16), std::vector<uint8_t>(expected.begin() + 60, expected.begin() + 76));
    NVRFS_close(handle);
}

TEST_F(QuarnelApi, ARecordingWithoutTimesReportsNone) {
    nvrtest::IndexFilePlan plan;
    plan.records.resize(1);
    plan.records[0].unit = 30;
    plan.begin = {26, 0, 5, 5, 5, 5};  // month 0 in both times
    std::vector<uint8_t> index = nvrtest::encodeIndexFile(plan);
    NVRFS_HANDLE handle =
        NVRFS_open_BufferMode(kRecordingDrive, reinterpret_cast<char*>(index.data()), static_cast<uint32_t>(index.size()));
    ASSERT_NE(handle, nullptr);
    NVRFS_SYSTEMTIME begin{}, end{};
    begin.wYear = 7;
    EXPECT_EQ(NVRFS_GetTimeInfo(handle, &begin, &end), 0);
    EXPECT_EQ(begin.wYear, 7) << "outputs untouched";
    NVRFS_close(handle);
}

TEST_F(QuarnelApi, NullHandlesAreAnsweredAtOnce) {
    char buffer[8];
    NVRFS_SYSTEMTIME begin{}, end{};
    EXPECT_EQ(NVRFS_tell(nullptr), 0);
    EXPECT_EQ(NVRFS_seek(nullptr, 5, 0), 0);
    EXPECT_EQ(NVRFS_read(buffer, 1, 8, nullptr), 0);
    EXPECT_EQ(NVRFS_GetFileSize(nullptr), -1);
    EXPECT_EQ(NVRFS_GetTimeInfo(nullptr, &begin, &end), 0);
    NVRFS_close(nullptr);
}

}  // namespace
