// Whole-drive copy through TQHD_DiskCopy: event sequences, bad source and target runs with their
// logs, stop and resume, refusals, and a source unplugged while the copy runs.
#include <cstdlib>
#include <future>
#include <thread>

#include "maintenance_support.h"

namespace maintenancetest {
namespace {

using nvrtest::DiskPlan;
using nvrtest::PartitionKind;
using nvrtest::PartitionPlan;

constexpr uint64_t kChunk = 10485760;
constexpr uint64_t kSector = 512;
constexpr int32_t kProgress = TQHD_EVENT_COPY_PROGRESS;
constexpr int32_t kDone = TQHD_EVENT_COPY_DONE;

// An NVR disk of `total` bytes: a small ext2 volume, then pattern bytes to the end, so every
// chunk carries data of its own.
void AddSource(int number, uint64_t total) {
    PartitionPlan volume;
    volume.sizeBytes = 4 << 20;
    volume.ext2.tree = {nvrtest::TreeEntry::text("a.txt", "source")};
    PartitionPlan rest;
    rest.kind = PartitionKind::Pattern;
    rest.patternSeed = 1000 + static_cast<uint64_t>(number);
    rest.sizeBytes = total - (5 << 20);
    DiskPlan plan;
    plan.partitions = {volume, rest};
    ASSERT_EQ(Devices().addDisk(number, plan).sizeBytes, total);
}

std::string Path(int number) { return Devices().entryPath(number); }

std::vector<Event> Progress(std::initializer_list<int32_t> values) {
    std::vector<Event> events;
    for (int32_t value : values) events.push_back({kProgress, value});
    return events;
}

class CopyTest : public MaintenanceTest {
protected:
    static void SetUpTestSuite() {
        home_ = new nvrtest::TempDir("nvrdisk-home");
        setenv("HOME", home_->path().c_str(), 1);
    }
    static void TearDownTestSuite() {
        delete home_;
        home_ = nullptr;
    }
    void SetUp() override {
        std::remove(SourceLog().c_str());
        std::remove(TargetLog().c_str());
    }
    static std::string SourceLog() { return home_->file("原盘.txt"); }
    static std::string TargetLog() { return home_->file("目标盘.txt"); }

    // Runs one copy to its end with the events recorded on the source disk (the disk that runs a
    // copy onto a drive that is not listed).
    static std::vector<Event> Copy(int source, int target, std::function<int32_t(const Event&)> onEvent = {}) {
        TQHD_HANDLE disk = TQHD_OpenHardDiskByRName(("/" + std::to_string(source) + "/").c_str());
        EventRecorder recorder(disk);
        recorder.onEvent = std::move(onEvent);
        int32_t result = 1;
        EXPECT_EQ(TQHD_DiskCopy(source, target, &result), disk);
        EXPECT_EQ(result, TQHD_OK);
        recorder.WaitDone(kDone);
        return recorder.Events();
    }

    static nvrtest::TempDir* home_;
};

nvrtest::TempDir* CopyTest::home_ = nullptr;

TEST_F(CopyTest, ChunksAreCountedWithAShortLastChunkAndEveryByteArrives) {
    const uint64_t size = 3 * kChunk + 1536;
    AddSource(1, size);
    Devices().addBlank(2, size);
    Scan();
    const auto events = Copy(1, 2);
    auto expected = Progress({4, 0x1000001, 0x1000002, 0x1000003, 0x1000004});
    expected.push_back({kDone, TQHD_OK});
    EXPECT_EQ(events, expected);
    EXPECT_TRUE(ReadText(Path(1)) == ReadText(Path(2))) << "a target of equal size carries the source's last sector";
    EXPECT_FALSE(std::ifstream(SourceLog()).good()) << "a copy without failed chunks writes no log";
}

TEST_F(CopyTest, AnUnreadableSourceRunIsLoggedAndTheRestOfItsChunkCopiedInPlace) {
    const uint64_t size = 4 * kChunk;
    const uint64_t bad = 2 * kChunk;
    AddSource(3, size);
    WriteText(Path(3) + ".faults", "read " + std::to_string(bad / kSector) + " 3\n");
    Devices().addBlank(4, size);
    const std::vector<uint8_t> old(1536, 0xEE);
    WriteBytes(Path(4), bad, old);
    Scan();
    const auto events = Copy(3, 4);
    auto expected = Progress({4, 0x1000001, 0x1000002, 0x2000000, 0x1000003, 0x1000004});
    expected.push_back({kDone, TQHD_OK});
    EXPECT_EQ(events, expected);
    EXPECT_EQ(ReadText(SourceLog()), "原盘坏块记录：\n坏块位置(字节), 坏块长度(字节)\n20971520, 1536\n");
    EXPECT_FALSE(std::ifstream(TargetLog()).good());
    EXPECT_EQ(ReadBytes(Path(4), bad, 1536), old) << "the target keeps its old bytes under the bad run";
    std::string source = ReadText(Path(3));
    std::string target = ReadText(Path(4));
    source.replace(bad, 1536, 1536, static_cast<char>(0xEE));
    EXPECT_TRUE(source == target) << "everything else, the rest of chunk 2 included, is copied at its own offset";
}

TEST_F(CopyTest, AnUnwritableTargetRunIsLoggedAndSkipped) {
    const uint64_t size = 2 * kChunk + 4096;
    const uint64_t firstBad = 30000;
    AddSource(5, size);
    Devices().addBlank(6, size);
    WriteText(Path(6) + ".faults", "write " + std::to_string(firstBad) + " 4\n");
    Scan();
    const auto events = Copy(5, 6);
    auto expected = Progress({3, 0x1000001, 0x3000000, 0x1000002, 0x1000003});
    expected.push_back({kDone, TQHD_OK});
    EXPECT_EQ(events, expected);
    EXPECT_EQ(ReadText(TargetLog()), "目标盘坏块记录：\n坏块位置(字节), 坏块长度(字节)\n15360000, 2048\n");
    std::string source = ReadText(Path(5));
    source.replace(firstBad * kSector, 2048, 2048, '\0');
    EXPECT_TRUE(source == ReadText(Path(6)));
}

uint64_t RecordedOffset(const std::string& path, uint64_t size) {
    const auto sector = ReadBytes(path, size - kSector, kSector);
    if (sector.size() != kSector || sector[0] != 0xA5 || sector[1] != 0xA5) return UINT64_MAX;
    uint64_t offset = 0;
    for (int i = 7; i >= 0; --i) offset = offset << 8 | sector[8 + static_cast<size_t>(i)];
    return offset;
}

TEST_F(CopyTest, AStoppedCopyLeavesAResumeRecordAndTheNextCopyAsksWhetherToResume) {
    const uint64_t size = 7 * kChunk + kChunk / 2;  // eight chunks, the last one half
    const uint64_t targetSize = 8 * kChunk;
    AddSource(7, size);
    Devices().addBlank(8, targetSize);
    Scan();
    TQHD_HANDLE disk = TQHD_OpenHardDiskByRName("/7/");
    auto stopAfter = [disk](int32_t doneValue) {
        return [disk, doneValue](const Event& event) {
            if (event.code == kProgress && event.value == doneValue) {
                EXPECT_EQ(TQHD_Stop(disk), TQHD_OK);
            }
            return event.value;
        };
    };
    auto answer = [](int32_t reply) {
        return [reply](const Event& event) { return (event.value & 0x4000000) != 0 ? reply : event.value; };
    };

    auto events = Copy(7, 8, stopAfter(0x1000006));
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[events.size() - 2], (Event{kProgress, 0x1000006})) << "chunk 5 is finished";
    EXPECT_EQ(events.back(), (Event{kDone, TQHD_E_STOPPED}));
    EXPECT_EQ(RecordedOffset(Path(8), targetSize), 6 * kChunk);

    const std::vector<uint8_t> scribble(kSector, 0xEE);
    WriteBytes(Path(8), 3 * kChunk + 4096, scribble);  // shows which chunks a resumed copy rewrites
    EXPECT_EQ(Copy(7, 8, answer(10)), (std::vector<Event>{{kProgress, 0x4000006}, {kDone, TQHD_E_STOPPED}}));
    EXPECT_EQ(RecordedOffset(Path(8), targetSize), 6 * kChunk) << "a cancelled copy leaves the record";

    auto resumed = Progress({0x4000006, 8, 0x1000007, 0x1000008});
    resumed.push_back({kDone, TQHD_OK});
    EXPECT_EQ(Copy(7, 8, answer(1)), resumed);
    EXPECT_EQ(ReadBytes(Path(8), 3 * kChunk + 4096, kSector), scribble) << "chunks before the record are not copied again";
    EXPECT_EQ(ReadBytes(Path(8), 6 * kChunk, size - 6 * kChunk), ReadBytes(Path(7), 6 * kChunk, size - 6 * kChunk));
    EXPECT_EQ(ReadBytes(Path(8), targetSize - kSector, kSector), std::vector<uint8_t>(kSector, 0))
        << "a finished copy onto a larger target clears the last sector";

    Copy(7, 8, stopAfter(0x1000002));
    EXPECT_EQ(RecordedOffset(Path(8), targetSize), 2 * kChunk);
    auto restarted = Progress({0x4000002, 8, 0x1000001, 0x1000002, 0x1000003, 0x1000004, 0x1000005, 0x1000006,
                               0x1000007, 0x1000008});
    restarted.push_back({kDone, TQHD_OK});
    EXPECT_EQ(Copy(7, 8, answer(0)), restarted);
    EXPECT_TRUE(ReadText(Path(7)) == ReadText(Path(8)).substr(0, size)) << "answer 0 copies from the start";
}

TEST_F(CopyTest, RefusedStartsReturnTheirCodeAndSendNoEvent) {
    AddSource(9, 6 << 20);
    Devices().addBlank(10, 4 << 20);
    Devices().addBlank(11, 8 << 20);
    Devices().addBlank(12, 8 << 20);
    WriteText(Devices().path() + "/mounts", "/media/nvr disk 12\n");
    Scan();
    TQHD_HANDLE disk = TQHD_OpenHardDiskByRName("/9/");
    EventRecorder recorder(disk);
    struct Case {
        int source, target;
        int32_t result;
        bool handle;
    };
    const Case cases[] = {
        {9, 9, TQHD_E_SAMEDISK, true},
        {11, 12, TQHD_E_UNAVAILABLE, false},  // the source is not a listed NVR disk
        {9, 10, TQHD_E_PARAM, true},          // the source does not fit the target
        {9, 12, TQHD_E_INUSE, true},          // the target holds a mounted file system
        {9, 13, TQHD_E_INUSE, true},          // the target cannot be opened for writing
    };
    for (const Case& c : cases) {
        int32_t result = 1;
        TQHD_HANDLE handle = TQHD_DiskCopy(c.source, c.target, &result);
        EXPECT_EQ(result, c.result) << c.source << " -> " << c.target;
        EXPECT_EQ(handle != nullptr, c.handle) << c.source << " -> " << c.target;
    }
    int32_t untouched = 1;
    EXPECT_EQ(TQHD_DiskCopy(0, 11, &untouched), nullptr);
    EXPECT_EQ(untouched, 1);
    EXPECT_TRUE(recorder.Events().empty());
    EXPECT_EQ(ReadText(Path(12)), std::string(8 << 20, '\0')) << "a mounted target is never written";
    std::remove((Devices().path() + "/mounts").c_str());
}

TEST_F(CopyTest, ASecondCopyOntoABusyObjectIsRefusedAndTheFirstGoesOn) {
    AddSource(14, 2 * kChunk);
    Devices().addBlank(15, 2 * kChunk);
    Devices().addBlank(16, 2 * kChunk);
    Scan();
    TQHD_HANDLE disk = TQHD_OpenHardDiskByRName("/14/");
    EventRecorder recorder(disk);
    std::promise<void> secondTried;
    std::shared_future<void> tried = secondTried.get_future().share();
    recorder.onEvent = [tried](const Event& event) {
        if (event.value == 2) tried.wait();  // holds the copy at its first event
        return event.value;
    };
    int32_t first = 1;
    int32_t second = 1;
    ASSERT_EQ(TQHD_DiskCopy(14, 15, &first), disk);
    EXPECT_EQ(TQHD_DiskCopy(14, 16, &second), disk);
    secondTried.set_value();
    EXPECT_EQ(first, TQHD_OK);
    EXPECT_EQ(second, TQHD_E_BUSY);
    EXPECT_EQ(recorder.WaitDone(kDone), (Event{kDone, TQHD_OK}));
    EXPECT_TRUE(ReadText(Path(14)) == ReadText(Path(15)));
    EXPECT_EQ(ReadText(Path(16)), std::string(2 * kChunk, '\0'));
}

// The source disappears after the first chunk while the removal check retires the disk object
// that runs the copy: the worker ends with a code, the check returns, and the target keeps a
// resume record.
TEST_F(CopyTest, ASourceUnpluggedDuringTheCopyEndsItWithACode) {
    const uint64_t size = 4 * kChunk;
    AddSource(17, size);
    Devices().addBlank(18, size);
    Scan();
    TQHD_HANDLE disk = TQHD_OpenHardDiskByRName("/17/");
    EventRecorder recorder(disk);
    std::promise<void> unplugged;
    auto removedFuture = unplugged.get_future();
    recorder.onEvent = [&unplugged](const Event& event) {
        if (event.code == kProgress && event.value == 0x1000001) {
            Devices().remove(17);
            unplugged.set_value();
        }
        return event.value;
    };
    int32_t result = 1;
    ASSERT_EQ(TQHD_DiskCopy(17, 18, &result), disk);
    ASSERT_EQ(result, TQHD_OK);
    removedFuture.wait();
    drelmo::TheInventory().RemovalCheck();
    const auto events = recorder.Events();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back(), (Event{kDone, TQHD_E_NOTFOUND}));
    EXPECT_EQ(TQHD_OpenHardDiskByRName("/17/"), nullptr);
    const auto last = ReadBytes(Path(18), size - kSector, 2);
    EXPECT_EQ(last, (std::vector<uint8_t>{0xA5, 0xA5}));
}

}  // namespace
}  // namespace maintenancetest
