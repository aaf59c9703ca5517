// The raw data area on disks held in memory: the three superblock places, the boot record
// checks, the drive probes, opens that fail before touching the drive, and units that lie
// beyond the area or the drive.
#include <gtest/gtest.h>

#include "drive_probe.h"
#include "memory_disk.h"
#include "trans_index.h"

namespace quarnel {
namespace {

using testing::loggingOpener;
using testing::recordingIn;

const nvrtest::RecordingPlan kRecording = recordingIn({3, 4, 10}, 2 * kUnitSize + 5000);

bool opensAndReads(const std::vector<uint8_t>& disk) {
    TransIndex stream(loggingOpener(disk, std::make_shared<testing::DriveLog>()));
    if (!stream.openBuffer(1, nvrtest::recordingIndexFile(kRecording))) return false;
    std::vector<uint8_t> got(stream.streamLength());
    return stream.read(got.data(), got.size()) == static_cast<int32_t>(got.size()) &&
           got == nvrtest::expectedStream(kRecording);
}

TEST(SuperBlockSearch, AnyOfTheThreePlacesFindsTheArea) {
    struct Case {
        nvrtest::SuperBlockPlaces places;
        bool found;
    } cases[] = {
        {{true, true, true}, true},
        {{false, true, false}, true},
        {{false, false, true}, true},  // only the last unit still marks the area
        {{false, false, false}, false},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(::testing::Message() << entry.places.unitStart << entry.places.sectorSeven << entry.places.lastUnit);
        const std::vector<uint8_t> disk = testing::recordingDiskBytes({kRecording}, 64, entry.places);
        EXPECT_EQ(opensAndReads(disk), entry.found);
        EXPECT_EQ(probeDrive(1, loggingOpener(disk, std::make_shared<testing::DriveLog>())),
                  entry.found ? kProbeRawArea : kProbeNoRawArea);
    }
}

TEST(SuperBlockSearch, UnreadableFirstPlacesAreSkipped) {
    const std::vector<uint8_t> disk = testing::recordingDiskBytes({kRecording}, 64);
    const uint64_t areaStart = testing::dataUnitPosition(disk, 0) - 9 * kUnitSize;  // D is 9 for 64 units
    auto log = std::make_shared<testing::DriveLog>();
    log->failing = {{areaStart, 512}, {areaStart + 3584, 512}};
    TransIndex stream(loggingOpener(disk, log));
    ASSERT_TRUE(stream.openBuffer(1, nvrtest::recordingIndexFile(kRecording)));
    EXPECT_EQ(log->reads.back(), (testing::DeviceRequest{areaStart + 63 * kUnitSize, 512}));
}

// A device read that fails ends the call with what was delivered; the cache keeps its unit and
// the next call retries from the new position.
TEST(UnitReads, AFailedDeviceReadGivesAShortReadAndIsRetriedByTheNextCall) {
    const std::vector<uint8_t> disk = testing::recordingDiskBytes({kRecording}, 64);
    auto log = std::make_shared<testing::DriveLog>();
    TransIndex stream(loggingOpener(disk, log));
    ASSERT_TRUE(stream.openBuffer(1, nvrtest::recordingIndexFile(kRecording)));
    const std::vector<uint8_t> expected = nvrtest::expectedStream(kRecording);
    std::vector<uint8_t> got(expected.size());
    ASSERT_EQ(stream.read(got.data(), 100), 100);  // unit 3 is now cached
    log->failing = {{testing::dataUnitPosition(disk, 4), kUnitSize}};
    EXPECT_EQ(stream.read(got.data() + 100, 2 * kUnitSize), static_cast<int32_t>(kUnitSize - 100));
    EXPECT_EQ(stream.position(), kUnitSize);
    log->reads.clear();
    EXPECT_EQ(stream.seek(0, 0), 0);
    EXPECT_EQ(stream.read(got.data(), 100), 100);
    EXPECT_TRUE(log->reads.empty()) << "unit 3 stayed in the cache";
    log->failing.clear();
    ASSERT_EQ(stream.seek(100, 0), 100);
    const int32_t rest = static_cast<int32_t>(expected.size() - 100);
    EXPECT_EQ(stream.read(got.data() + 100, static_cast<uint64_t>(rest)), rest);
    EXPECT_EQ(got, expected);
}

TEST(BootRecord, OnlyAValidBootRecordLeadsToTheArea) {
    const std::vector<uint8_t> good = testing::recordingDiskBytes({kRecording}, 64);
    struct Case {
        const char* what;
        size_t offset;
        uint8_t value;
        bool valid;
    } cases[] = {
        {"status 0x80", 446, 0x80, true},
        {"status 0x01", 446, 0x01, false},
        {"no 0x55", 510, 0x00, false},
        {"no 0xAA", 511, 0x55, false},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.what);
        std::vector<uint8_t> disk = good;
        disk[entry.offset] = entry.value;
        EXPECT_EQ(opensAndReads(disk), entry.valid);
        EXPECT_EQ(probeDrive(1, loggingOpener(disk, std::make_shared<testing::DriveLog>())),
                  entry.valid ? kProbeRawArea : kProbeNoDrive);
    }
}

TEST(DriveProbe, ADriveThatCannotBeOpenedAnswersOne) {
    DriveOpener none = [](int, unsigned) -> std::unique_ptr<platform::Drive> { return nullptr; };
    EXPECT_EQ(probeDrive(1, none), kProbeNoDrive);
    EXPECT_EQ(probeDrive(-1, none), kProbeNoDrive);
    EXPECT_EQ(probePath("", none), kProbeEmptyPath);
    EXPECT_EQ(probePath(std::string(300, 'a'), none), kProbeNoDrive);
}

TEST(BufferOpen, ShortOrMissingIndexDataFailsWithoutOpeningTheDrive) {
    auto log = std::make_shared<testing::DriveLog>();
    const std::vector<uint8_t> disk = testing::recordingDiskBytes({kRecording}, 64);
    const std::vector<uint8_t> index = nvrtest::recordingIndexFile(kRecording);
    TransIndex stream(loggingOpener(disk, log));
    EXPECT_FALSE(stream.openBuffer(1, std::span<const uint8_t>(index.data(), 31)));
    EXPECT_FALSE(stream.openBuffer(1, std::span<const uint8_t>()));
    EXPECT_EQ(log->opens, 0);
    EXPECT_TRUE(stream.openBuffer(1, std::span<const uint8_t>(index.data(), 32)));  // header only
    EXPECT_EQ(stream.streamLength(), 16u);
    EXPECT_FALSE(stream.openBuffer(1, index)) << "a handle opens its drive once";
}

// Units outside the raw area, or beyond the end of the drive, end the read with what came before.
TEST(UnitReads, UnitsBeyondTheAreaOrTheDriveGiveAShortRead) {
    nvrtest::RecordingPlan inside = recordingIn({1, 2}, 2 * kUnitSize);
    const std::vector<uint8_t> disk = testing::recordingDiskBytes({inside}, 64);
    std::vector<uint8_t> truncated(disk.begin(), disk.begin() + static_cast<ptrdiff_t>(testing::dataUnitPosition(disk, 30)));
    struct Case {
        const char* what;
        const std::vector<uint8_t>* drive;
        uint32_t lastUnit;
    } cases[] = {
        {"beyond the area", &disk, 1000000},
        {"inside the area, beyond the drive", &truncated, 40},
        {"largest unit number", &disk, 0xFFFFFFFF},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.what);
        nvrtest::IndexFilePlan index = nvrtest::recordingIndexPlan(inside);
        nvrtest::BlockRecordPlan outside;
        outside.unit = entry.lastUnit;
        index.records.push_back(outside);
        TransIndex stream(loggingOpener(*entry.drive, std::make_shared<testing::DriveLog>()));
        ASSERT_TRUE(stream.openBuffer(1, nvrtest::encodeIndexFile(index)));
        std::vector<uint8_t> buffer(3 * kUnitSize);
        EXPECT_EQ(stream.read(buffer.data(), buffer.size()), static_cast<int32_t>(2 * kUnitSize));
        EXPECT_EQ(stream.position(), 2 * kUnitSize);
        EXPECT_EQ(stream.read(buffer.data(), 10), 0) << "nothing delivered: the unit still cannot be read";
        EXPECT_EQ(stream.position(), 2 * kUnitSize);
    }
}

}  // namespace
}  // namespace quarnel
