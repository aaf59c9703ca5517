// Reading and seeking the recording stream on a disk held in memory: the payload/table border,
// stream bytes 68 to 71, the end of the stream, refused seeks, and whole recordings of every
// index style read in uneven pieces.
#include <gtest/gtest.h>

#include "memory_disk.h"
#include "nvr/byte_reader.h"
#include "trans_index.h"

namespace quarnel {
namespace {

using testing::loggingOpener;
using testing::recordingIn;

// Three full units and 1000 bytes in data units 40, 41, 90, 91.
class StreamRead : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(stream_.openBuffer(1, nvrtest::recordingIndexFile(recording_)));
        expected_ = nvrtest::expectedStream(recording_);
    }

    std::vector<uint8_t> readAt(uint64_t position, uint64_t count) {
        EXPECT_EQ(stream_.seek(static_cast<int64_t>(position), 0), static_cast<int64_t>(position));
        std::vector<uint8_t> bytes(count);
        const int32_t got = stream_.read(bytes.data(), count);
        bytes.resize(got < 0 ? 0 : static_cast<size_t>(got));
        return bytes;
    }
    std::vector<uint8_t> expected(uint64_t position, uint64_t count) const {
        return {expected_.begin() + static_cast<ptrdiff_t>(position),
                expected_.begin() + static_cast<ptrdiff_t>(position + count)};
    }

    nvrtest::RecordingPlan recording_ = recordingIn({40, 41, 90, 91}, 3 * kUnitSize + 1000);
    std::vector<uint8_t> disk_ = testing::recordingDiskBytes({recording_});
    std::shared_ptr<testing::DriveLog> log_ = std::make_shared<testing::DriveLog>();
    TransIndex stream_{loggingOpener(disk_, log_)};
    std::vector<uint8_t> expected_;
};

TEST_F(StreamRead, LengthIsPayloadPlusTable) {
    const uint64_t entries = (nvrtest::expectedIndxTable(recording_).size() - 16) / 20;
    EXPECT_GT(entries, 0u);
    EXPECT_EQ(stream_.payloadLength(), 197608u);
    EXPECT_EQ(stream_.streamLength(), 197608u + 16 + 20 * entries);
    EXPECT_EQ(stream_.streamLength(), expected_.size());
}

TEST_F(StreamRead, BytesSixtyEightToSeventyOneCarryThePayloadLength) {
    const std::vector<uint8_t> start = readAt(0, 100);
    ASSERT_EQ(start.size(), 100u);
    EXPECT_EQ(std::vector<uint8_t>(start.begin() + 68, start.begin() + 72), (std::vector<uint8_t>{0xE8, 0x03, 0x03, 0x00}));
    EXPECT_EQ(start, expected(0, 100));
    EXPECT_EQ(readAt(68, 4), (std::vector<uint8_t>{0xE8, 0x03, 0x03, 0x00}));
    EXPECT_EQ(readAt(70, 4), (std::vector<uint8_t>{0x03, 0x00, 0, 0}));  // the stored bytes 72, 73 are 0
    EXPECT_EQ(readAt(20, 10), expected(20, 10));
    // In the data unit itself the field holds what the recorder wrote.
    const uint64_t stored = testing::dataUnitPosition(disk_, 40) + 68;
    EXPECT_EQ(nvr::ByteReader(disk_.data() + stored, 4).u32le(0), 0u);
}

TEST_F(StreamRead, AReadAcrossTheBorderJoinsPayloadAndTable) {
    const std::vector<uint8_t> border = readAt(197608 - 10, 30);
    ASSERT_EQ(border.size(), 30u);
    EXPECT_EQ(border, expected(197608 - 10, 30));
    EXPECT_EQ(std::vector<uint8_t>(border.begin() + 10, border.begin() + 14), (std::vector<uint8_t>{'I', 'N', 'D', 'X'}));
    EXPECT_EQ(stream_.position(), 197608u + 20);
}

TEST_F(StreamRead, TheEndOfTheStream) {
    const uint64_t length = stream_.streamLength();
    EXPECT_EQ(readAt(length - 5, 100), expected(length - 5, 5));  // shortened to what is left
    std::vector<uint8_t> buffer(10);
    EXPECT_EQ(stream_.read(buffer.data(), buffer.size()), 0);
    EXPECT_EQ(stream_.seek(0, 2), static_cast<int64_t>(length));
    EXPECT_EQ(stream_.position(), length);
}

TEST_F(StreamRead, SeeksOutsideTheStreamAreRefusedAndKeepThePosition) {
    const int64_t length = static_cast<int64_t>(stream_.streamLength());
    struct Case {
        int64_t start, offset;
        int32_t origin;
        int64_t result;
    } cases[] = {
        {0, -1, 0, -1},          {50, 0, 0, 0},          {50, -51, 1, -1},     {50, -50, 1, 0},
        {50, 1, 2, -1},          {50, 0, 2, length},     {50, -length, 2, 0},  {50, -length - 1, 2, -1},
        {50, length + 1, 0, -1}, {50, 5, 3, -1},         {50, 5, -1, -1},      {50, 10, 1, 60},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(::testing::Message() << entry.start << " " << entry.offset << " " << entry.origin);
        ASSERT_EQ(stream_.seek(entry.start, 0), entry.start);
        EXPECT_EQ(stream_.seek(entry.offset, entry.origin), entry.result);
        EXPECT_EQ(stream_.position(), static_cast<uint64_t>(entry.result < 0 ? entry.start : entry.result));
    }
}

TEST_F(StreamRead, ThreeUnitsAndAHundredBytesTakeTheNamedDeviceRequests) {
    log_->reads.clear();
    const std::vector<uint8_t> bytes = readAt(0, 3 * kUnitSize + 100);
    EXPECT_EQ(bytes, expected(0, 3 * kUnitSize + 100));
    const std::vector<testing::DeviceRequest> requests = {
        {testing::dataUnitPosition(disk_, 40), 2 * kUnitSize},  // 40 and 41 lie back to back
        {testing::dataUnitPosition(disk_, 90), kUnitSize},      // 90 straight into the buffer
        {testing::dataUnitPosition(disk_, 91), kUnitSize},      // 100 bytes of 91 through the cache
    };
    EXPECT_EQ(log_->reads, requests);
}

TEST_F(StreamRead, RepeatedReadsInsideOneUnitReachTheDriveOnce) {
    log_->reads.clear();
    EXPECT_EQ(readAt(2 * kUnitSize + 10, 100), expected(2 * kUnitSize + 10, 100));
    EXPECT_EQ(readAt(2 * kUnitSize + 500, 1000), expected(2 * kUnitSize + 500, 1000));
    EXPECT_EQ(log_->reads.size(), 1u);
    // After a two-unit read of 40 and 41, unit 41 is cached and unit 40 is not.
    readAt(0, 2 * kUnitSize);
    log_->reads.clear();
    EXPECT_EQ(readAt(kUnitSize + 7, 10), expected(kUnitSize + 7, 10));
    EXPECT_TRUE(log_->reads.empty());
    EXPECT_EQ(readAt(7, 10), expected(7, 10));
    EXPECT_EQ(log_->reads, (std::vector<testing::DeviceRequest>{{testing::dataUnitPosition(disk_, 40), kUnitSize}}));
}

TEST(StreamReadWhole, RecordingsOfEveryStyleReadInUnevenPiecesGiveTheExpectedStream) {
    using nvrtest::IndexStyle;
    for (IndexStyle style : {IndexStyle::KeyRecords, IndexStyle::FrameLists, IndexStyle::FourFrames,
                             IndexStyle::OtherMode, IndexStyle::Mixed}) {
        SCOPED_TRACE(static_cast<int>(style));
        nvrtest::RecordingPlan recording = recordingIn({7, 8, 9, 3, 30, 31, 50, 51, 52, 0}, 9 * kUnitSize + 54321, style);
        recording.garbageEvery = 4;
        auto log = std::make_shared<testing::DriveLog>();
        TransIndex stream(loggingOpener(testing::recordingDiskBytes({recording}), log));
        ASSERT_TRUE(stream.openBuffer(1, nvrtest::recordingIndexFile(recording)));
        const std::vector<uint8_t> expected = nvrtest::expectedStream(recording);
        std::vector<uint8_t> got;
        for (uint64_t piece : {7000, 200000, 65536, 1, 131072, 400000}) {
            std::vector<uint8_t> buffer(piece);
            const int32_t count = stream.read(buffer.data(), piece);
            ASSERT_GE(count, 0);
            got.insert(got.end(), buffer.begin(), buffer.begin() + count);
        }
        EXPECT_EQ(got, expected);
    }
}

// A payload shorter than 72 bytes has no length field: its bytes are served as stored.
TEST(StreamReadWhole, AShortPayloadIsServedUnchanged) {
    nvrtest::RecordingPlan recording = recordingIn({5}, 70);
    auto log = std::make_shared<testing::DriveLog>();
    TransIndex stream(loggingOpener(testing::recordingDiskBytes({recording}), log));
    ASSERT_TRUE(stream.openBuffer(1, nvrtest::recordingIndexFile(recording)));
    std::vector<uint8_t> payload(70);
    nvrtest::fillPayload(recording, 0, payload);
    std::vector<uint8_t> got(200);
    ASSERT_EQ(stream.read(got.data(), got.size()), static_cast<int32_t>(stream.streamLength()));
    EXPECT_EQ(std::vector<uint8_t>(got.begin(), got.begin() + 70), payload);
}

}  // namespace
}  // namespace quarnel

namespace quarnel {
namespace {

// A data unit named twice: the copy kept in the cache is the unit as stored, so the length
// field appears only at stream offsets 68 to 71, not in the second logical unit.
TEST(StreamReadWhole, TheCacheKeepsUnitsAsStored) {
    const nvrtest::RecordingPlan stored = recordingIn({5}, kUnitSize);
    auto log = std::make_shared<testing::DriveLog>();
    TransIndex stream(loggingOpener(testing::recordingDiskBytes({stored}), log));
    nvrtest::IndexFilePlan index;
    index.records.resize(2);
    index.records[0].unit = 5;
    index.records[1].unit = 5;
    ASSERT_TRUE(stream.openBuffer(1, nvrtest::encodeIndexFile(index)));
    std::vector<uint8_t> got(2 * kUnitSize);
    ASSERT_EQ(stream.read(got.data(), got.size()), static_cast<int32_t>(got.size()));
    EXPECT_EQ(std::vector<uint8_t>(got.begin() + 68, got.begin() + 72), (std::vector<uint8_t>{0, 0, 2, 0}));
    EXPECT_EQ(std::vector<uint8_t>(got.begin() + kUnitSize + 68, got.begin() + kUnitSize + 72),
              (std::vector<uint8_t>{0, 0, 0, 0}));
    EXPECT_EQ(log->reads.size(), 3u) << "the boot record, the superblock, then unit 5 once";
}

}  // namespace
}  // namespace quarnel
