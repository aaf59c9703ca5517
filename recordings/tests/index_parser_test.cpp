// The index parser on index files written by the fixture builder: accepted and rejected records,
// the pending entry, extensions stepped over or resynchronised on, and data that ends inside a
// record. Vectors are exact-size copies, so a read past the end shows under the sanitizers.
#include <gtest/gtest.h>

#include "index_parser.h"
#include "recording_builder.h"

namespace quarnel {
namespace {

using nvrtest::BlockRecordPlan;
using nvrtest::FrameEntryPlan;
using nvrtest::IndexFilePlan;

ParsedIndex parse(const IndexFilePlan& plan) { return parseIndex(nvrtest::encodeIndexFile(plan)); }

BlockRecordPlan plain(uint32_t unit, uint32_t blockOffset = kUnitSize) {
    BlockRecordPlan record;
    record.unit = unit;
    record.blockOffset = blockOffset;
    return record;
}

BlockRecordPlan frameRecord(uint32_t unit, std::vector<FrameEntryPlan> frames, uint8_t mode = 1) {
    BlockRecordPlan record = plain(unit);
    record.keyFlag = 1;
    record.externMode = mode;
    record.frames = std::move(frames);
    return record;
}

FrameEntryPlan frame(uint16_t offset, bool key, uint32_t keyA = 0, uint32_t keyB = 0) {
    return {offset, static_cast<uint8_t>(key ? 1 : 0), keyA, keyB};
}

IndxEntry entry(uint32_t flag, uint32_t offset, uint32_t keyA, uint32_t keyB, std::array<uint8_t, 3> info = {}) {
    return {flag, offset, info, keyA, keyB};
}

void expectEntries(const ParsedIndex& parsed, const std::vector<IndxEntry>& expected) {
    ASSERT_EQ(parsed.entries.size(), expected.size());
    for (size_t index = 0; index < expected.size(); ++index) {
        SCOPED_TRACE(index);
        EXPECT_EQ(parsed.entries[index].entryFlag, expected[index].entryFlag);
        EXPECT_EQ(parsed.entries[index].streamOffset, expected[index].streamOffset);
        EXPECT_EQ(parsed.entries[index].blockInfo, expected[index].blockInfo);
        EXPECT_EQ(parsed.entries[index].keyA, expected[index].keyA);
        EXPECT_EQ(parsed.entries[index].keyB, expected[index].keyB);
    }
}

TEST(IndexParser, HeaderOnlyFileHasNoUnitsAndAnEmptyTable) {
    const ParsedIndex parsed = parseIndex(std::vector<uint8_t>(32, 0));
    EXPECT_TRUE(parsed.units.empty());
    EXPECT_EQ(parsed.payloadLength, 0u);
    const std::vector<uint8_t> table = buildIndxTable(parsed.entries);
    EXPECT_EQ(table, (std::vector<uint8_t>{'I', 'N', 'D', 'X', 1, 0, 0, 0, 2, 0, 0, 0, 16, 0, 0, 0}));
}

TEST(IndexParser, HeaderTimesAreTakenAsStored) {
    IndexFilePlan plan;
    plan.begin = {26, 13, 40, 25, 61, 99};  // impossible values pass through
    plan.end = {0, 0, 1, 2, 3, 4};
    const IndexFileHeader header = parse(plan).header;
    EXPECT_EQ(header.begin.year, 26);
    EXPECT_EQ(header.begin.month, 13);
    EXPECT_EQ(header.begin.second, 99);
    EXPECT_EQ(header.end.month, 0);
    EXPECT_EQ(header.end.second, 4);
}

// Records that are accepted or rejected on their own fields; a rejected record is skipped byte by
// byte and the record behind it is still found.
TEST(IndexParser, AcceptsAndRejectsRecordsOnTheirFields) {
    struct Case {
        const char* what;
        BlockRecordPlan record;
        bool accepted;
    };
    auto withFrames = [](uint32_t count, uint8_t mode, std::optional<uint16_t> length = std::nullopt) {
        BlockRecordPlan record = frameRecord(7, std::vector<FrameEntryPlan>(count, frame(0, false)), mode);
        record.externDataLength = length;
        return record;
    };
    BlockRecordPlan wrongMagic = plain(7);
    wrongMagic.magic = 0x97653489;
    std::vector<Case> cases = {
        {"block offset 65536", plain(7, 65536), true},
        {"block offset 65537", plain(7, 65537), false},
        {"wrong magic", wrongMagic, false},
        {"64 frames", withFrames(64, 1), true},
        {"65 frames", withFrames(65, 1), false},
        {"mode 1, 3 frames, length 52", withFrames(3, 1, 52), true},
        {"mode 1, 3 frames, length 53", withFrames(3, 1, 53), false},
        {"mode 2, length 68", withFrames(2, 2, 68), true},
        {"mode 2, length 64", withFrames(2, 2, 64), false},
        {"mode 3, any length", withFrames(2, 3, 200), true},
    };
    for (const Case& entry : cases) {
        SCOPED_TRACE(entry.what);
        IndexFilePlan plan;
        plan.records = {plain(1), entry.record, plain(2)};
        const ParsedIndex parsed = parse(plan);
        const std::vector<uint32_t> expected =
            entry.accepted ? std::vector<uint32_t>{1, 7, 2} : std::vector<uint32_t>{1, 2};
        EXPECT_EQ(parsed.units, expected);
    }
}

TEST(IndexParser, GarbageBetweenRecordsIsSkipped) {
    IndexFilePlan plan;
    plan.records = {plain(3), plain(4)};
    plan.records[1].bytesBefore = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    EXPECT_EQ(parse(plan).units, (std::vector<uint32_t>{3, 4}));
}

TEST(IndexParser, PayloadLengthIsTheSumOfBlockOffsets) {
    IndexFilePlan plan;
    plan.records = {plain(0), plain(1), plain(2), plain(3, 1000)};
    const ParsedIndex parsed = parse(plan);
    EXPECT_EQ(parsed.payloadLength, 197608u);
    // An early short block keeps the 64 KiB stride: only the length shrinks.
    plan.records = {plain(0, 100), plain(1)};
    EXPECT_EQ(parse(plan).payloadLength, 100u + kUnitSize);
}

TEST(IndexParser, KeyRecordsInModeZeroUseTheMarkerForTheirValues) {
    IndexFilePlan plan;
    BlockRecordPlan marked = plain(5);
    marked.keyFlag = 1;
    marked.keyOffset = 300;
    marked.keyA = 11;
    marked.keyB = 12;
    marked.keyMarker = 0x88;
    marked.blockInfo = {7, 8, 9};
    BlockRecordPlan unmarked = marked;
    unmarked.keyMarker = 0x87;
    plan.records = {marked, plain(6), unmarked};
    expectEntries(parse(plan), {entry(1, 300, 11, 12, {7, 8, 9}), entry(1, 2 * kUnitSize + 300, 0, 0, {7, 8, 9})});
}

TEST(IndexParser, PendingEntryIsRepeatedUntilAKeyFrameReplacesIt) {
    IndexFilePlan plan;
    plan.records = {
        frameRecord(0, {frame(10, false)}),                                // no key frame yet: all zero
        frameRecord(1, {frame(20, true, 1, 2), frame(900, true, 3, 4)}),  // the last key frame wins
        frameRecord(2, {frame(30, false)}),                                // repeats the previous entry
        plain(3),                                                          // no entry at all
        frameRecord(4, {frame(40, true, 5, 6)}, 3),
    };
    expectEntries(parse(plan), {entry(0, 0, 0, 0), entry(1, kUnitSize + 900, 3, 4), entry(1, kUnitSize + 900, 3, 4),
                                entry(1, 4 * kUnitSize + 40, 5, 6)});
}

// A record without key-frame information: a mode-2 extension is stepped over, a mode-1
// extension is scanned and a record image inside it is taken as a record.
TEST(IndexParser, ExtensionsOfRecordsWithoutKeyFrames) {
    const std::vector<uint8_t> inner = nvrtest::encodeIndexFile({{}, {}, {plain(99)}, {}});
    for (uint8_t mode : {1, 2}) {
        SCOPED_TRACE(int{mode});
        IndexFilePlan plan;
        BlockRecordPlan record = plain(1);
        record.externMode = mode;
        record.externDataLength = 68;
        plan.records = {record, plain(2)};
        std::vector<uint8_t> bytes = nvrtest::encodeIndexFile(plan);
        // The extension starts with a frame count word; the record image lies behind it.
        std::copy(inner.begin() + 32, inner.end(), bytes.begin() + 32 + 32 + 4);
        const std::vector<uint32_t> expected = mode == 2 ? std::vector<uint32_t>{1, 2} : std::vector<uint32_t>{1, 99, 2};
        EXPECT_EQ(parseIndex(bytes).units, expected);
    }
}

// Index data that ends inside a record, a frame count or a frame entry ends the scan there.
TEST(IndexParser, DataEndingInsideARecordEndsTheScan) {
    IndexFilePlan plan;
    plan.records = {plain(1), frameRecord(2, {frame(1, true), frame(2, true)})};
    const std::vector<uint8_t> whole = nvrtest::encodeIndexFile(plan);
    ASSERT_EQ(parseIndex(whole).units.size(), 2u);
    for (size_t cut = 1; cut <= 32 + 4 + 32; ++cut) {
        const std::vector<uint8_t> bytes(whole.begin(), whole.end() - static_cast<ptrdiff_t>(cut));
        EXPECT_EQ(parseIndex(bytes).units, std::vector<uint32_t>{1}) << "cut " << cut;
    }
}

TEST(IndexParser, ModeTwoFrameEntriesBeyondTheExtensionAreReadUpToTheEndOfTheData) {
    IndexFilePlan plan;
    BlockRecordPlan record = frameRecord(1, {frame(5, false)}, 2);
    record.frameCount = 6;  // room for four: entries five and six are read from what follows
    plan.records = {record, plain(2), plain(3)};
    EXPECT_EQ(parse(plan).units, (std::vector<uint32_t>{1, 2, 3}));
    plan.records = {record};  // nothing follows: entries five and six would lie past the end
    EXPECT_TRUE(parse(plan).units.empty());
}

TEST(IndexParser, RecordingsOfEveryIndexStyleGiveTheExpectedTable) {
    using nvrtest::IndexStyle;
    for (IndexStyle style : {IndexStyle::KeyRecords, IndexStyle::FrameLists, IndexStyle::FourFrames,
                             IndexStyle::OtherMode, IndexStyle::Mixed}) {
        SCOPED_TRACE(static_cast<int>(style));
        nvrtest::RecordingPlan recording;
        recording.payloadLength = 9 * kUnitSize + 4321;
        recording.dataUnits = {9, 3, 4, 5, 20, 21, 22, 0, 1, 2};
        recording.style = style;
        recording.garbageEvery = 3;
        const ParsedIndex parsed = parseIndex(nvrtest::recordingIndexFile(recording));
        EXPECT_EQ(parsed.units, recording.dataUnits);
        EXPECT_EQ(parsed.payloadLength, recording.payloadLength);
        EXPECT_EQ(buildIndxTable(parsed.entries), nvrtest::expectedIndxTable(recording));
    }
}

}  // namespace
}  // namespace quarnel
