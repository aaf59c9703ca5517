// Recording handles through the disk library's exported functions, in a device directory of this
// program's own: a recording opened by find record, RName, index data and path reads the same
// bytes; names that are not index files are refused; seeks and positions go to the recording.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "device_dir_env.h"
#include "recording_builder.h"
#include "tqhd.h"

namespace {

constexpr int kDrive = 1;

nvrtest::RecordingPlan recording(const std::string& path, uint8_t channel, std::vector<uint32_t> units,
                                 uint64_t length, nvrtest::IndexStyle style) {
    nvrtest::RecordingPlan plan;
    plan.indexPath = path;
    plan.channel = channel;
    plan.begin = {26, 3, 11, 7, 0, 0};
    plan.end = {26, 3, 11, 7, 10, 0};
    plan.payloadLength = length;
    plan.dataUnits = std::move(units);
    plan.style = style;
    plan.seed = channel;
    plan.garbageEvery = 4;
    return plan;
}

const nvrtest::RecordingPlan kMain = recording("rec/ch1.nvr", 1, {20, 21, 22, 3, 4, 40, 41, 42, 43, 7}, 9 * 65536 + 3210,
                                               nvrtest::IndexStyle::Mixed);
const nvrtest::RecordingPlan kUpper = recording("rec/clip.NVR", 2, {60, 61}, 65536 + 99, nvrtest::IndexStyle::KeyRecords);

std::vector<uint8_t> readAll(TQHD_HANDLE handle) {
    std::vector<uint8_t> all;
    std::vector<uint8_t> piece(1 << 20);
    for (int32_t got; (got = TQHD_ReadFile(handle, piece.data(), static_cast<int32_t>(piece.size()))) > 0;)
        all.insert(all.end(), piece.begin(), piece.begin() + got);
    return all;
}

class Handle {
public:
    explicit Handle(TQHD_HANDLE handle) : handle_(handle) {}
    ~Handle() { TQHD_CloseHandle(handle_); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    TQHD_HANDLE get() const { return handle_; }

private:
    TQHD_HANDLE handle_;
};

class RecordingHandles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        const std::string devices = nvrtest::testDeviceDirectory();
        nvrtest::DiskPlan plan = nvrtest::standardNvrDisk(
            {nvrtest::TreeEntry::text("rec/notes.txt", "not an index\n"), nvrtest::TreeEntry::text("rec/empty.nvr", ""),
             {"rec/.nvr", nvrtest::recordingIndexFile(kMain), 0, 0}},
            "REC-HANDLES");
        nvrtest::addRecordingDisk(nvrtest::DeviceDirectory(devices), kDrive, plan, {kMain, kUpper});
        std::filesystem::create_directories(devices + "/volume");
        const std::vector<uint8_t> index = nvrtest::recordingIndexFile(kMain);
        std::ofstream(devices + "/volume/ch1.nvr", std::ios::binary)
            .write(reinterpret_cast<const char*>(index.data()), static_cast<std::streamsize>(index.size()));
        std::ofstream(devices + "/mounts") << devices << "/volume " << kDrive << "\n";
        unsigned count = 0;
        ASSERT_EQ(TQHD_GetHardDiskList(nullptr, &count), TQHD_OK);
        ASSERT_EQ(count, 1u);
    }

    static TQHD_HANDLE disk() {
        TQHD_DISK_INFO info{};
        info.hdindex = kDrive;
        return TQHD_OpenHardDisk(&info);
    }
    // The find record of `name` in /1/0/rec/.
    static TQHD_FIND_DATA record(const std::string& name) {
        Handle directory(TQHD_OpenFindFileByRName("/1/0/rec/"));
        TQHD_FIND_DATA first{};
        EXPECT_EQ(TQHD_GetFindFile(directory.get(), &first), TQHD_OK);
        for (const TQHD_FIND_DATA* entry = &first; entry != nullptr; entry = entry->pNext)
            if (name == entry->szName) {
                TQHD_FIND_DATA copy = *entry;
                copy.pNext = nullptr;
                return copy;
            }
        ADD_FAILURE() << "no " << name;
        return {};
    }
};

TEST_F(RecordingHandles, EveryWayOfOpeningReadsTheSameStream) {
    const std::vector<uint8_t> expected = nvrtest::expectedStream(kMain);
    const TQHD_FIND_DATA found = record("ch1.nvr");
    std::vector<uint8_t> index = nvrtest::recordingIndexFile(kMain);
    const std::string path = nvrtest::testDeviceDirectory() + "/volume/ch1.nvr";
    struct Case {
        const char* way;
        TQHD_HANDLE handle;
    } cases[] = {
        {"find record", TQHD_OpenAVFileByFind(disk(), &found)},
        {"RName", TQHD_OpenAVFileByRName("/1/0/rec/ch1.nvr")},
        {"index data", TQHD_OpenAVFileByIndexFileCon(disk(), reinterpret_cast<char*>(index.data()),
                                                     static_cast<uint32_t>(index.size()))},
        {"path", TQHD_OpenAVFileByName(path.c_str(), 0)},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.way);
        Handle handle(entry.handle);
        ASSERT_NE(handle.get(), nullptr);
        EXPECT_EQ(TQHD_GetFileLength(handle.get()), static_cast<int64_t>(expected.size()));
        EXPECT_EQ(readAll(handle.get()), expected);
    }
    EXPECT_EQ(TQHD_IsNvrFile(path.c_str()), 2u);
    EXPECT_EQ(TQHD_IsNvrFile(""), 0u);
}

TEST_F(RecordingHandles, OnlyIndexFilesTheLibraryAcceptsOpen) {
    Handle upper(TQHD_OpenAVFileByRName("/1/0/rec/clip.NVR"));
    ASSERT_NE(upper.get(), nullptr) << "the extension is compared ignoring case";
    EXPECT_EQ(readAll(upper.get()), nvrtest::expectedStream(kUpper));
    for (const char* name : {".nvr", "empty.nvr", "notes.txt"}) {
        SCOPED_TRACE(name);
        const TQHD_FIND_DATA found = record(name);
        EXPECT_EQ(TQHD_OpenAVFileByFind(disk(), &found), nullptr);
        EXPECT_EQ(TQHD_OpenAVFileByRName((std::string("/1/0/rec/") + name).c_str()), nullptr);
    }
    char shortIndex[31] = {};
    EXPECT_EQ(TQHD_OpenAVFileByIndexFileCon(disk(), shortIndex, sizeof shortIndex), nullptr);
    EXPECT_EQ(TQHD_OpenAVFileByIndexFileCon(nullptr, shortIndex, sizeof shortIndex), nullptr);
    EXPECT_EQ(TQHD_OpenAVFileByName("", 0), nullptr);
    EXPECT_EQ(TQHD_OpenAVFileByName((nvrtest::testDeviceDirectory() + "/ch1.nvr").c_str(), 0), nullptr);
    Handle directory(TQHD_OpenFindFileByRName("/1/0/rec/"));
    EXPECT_EQ(TQHD_OpenAVFileByIndexFileCon(directory.get(), shortIndex, sizeof shortIndex), nullptr)
        << "a directory handle is no disk";
}

TEST_F(RecordingHandles, SeeksAndPositionsAreTheRecordingStreams) {
    Handle handle(TQHD_OpenAVFileByRName("/1/0/rec/ch1.nvr"));
    ASSERT_NE(handle.get(), nullptr);
    const int64_t length = TQHD_GetFileLength(handle.get());
    EXPECT_EQ(TQHD_SeekFile(handle.get(), 0, 2), TQHD_OK);
    EXPECT_EQ(TQHD_GetFileCurrentPosition(handle.get()), length);
    EXPECT_EQ(TQHD_SeekFile(handle.get(), 1, 2), TQHD_E_PARAM);
    EXPECT_EQ(TQHD_SeekFile(handle.get(), -1, 0), TQHD_E_PARAM);
    EXPECT_EQ(TQHD_GetFileCurrentPosition(handle.get()), length);
    EXPECT_EQ(TQHD_SeekFile(handle.get(), 64, 0), TQHD_OK);
    uint8_t field[8];
    ASSERT_EQ(TQHD_ReadFile(handle.get(), field, sizeof field), 8);
    const uint32_t payload = static_cast<uint32_t>(kMain.payloadLength);
    EXPECT_EQ(field[4] | field[5] << 8 | field[6] << 16 | uint32_t{field[7]} << 24, payload);
    EXPECT_EQ(TQHD_GetFileCurrentPosition(handle.get()), 72);
}

}  // namespace
