// Index files: records encoded field by field from a description, the records a recording's
// frames call for in each index style, and the "INDX" table and stream a reader should serve.
#include <algorithm>
#include <stdexcept>

#include <nvr/byte_reader.h>

#include "recording_builder.h"

namespace nvrtest {
namespace {

constexpr size_t kRecordSize = 32;
constexpr size_t kFrameEntrySize = 16;
constexpr uint16_t kModeTwoLength = 68;
constexpr size_t kMostFramesPerRecord = 64;
constexpr uint8_t kKeyMarker = 0x88;
constexpr size_t kOtherModeExtra = 8;

uint16_t defaultExtensionLength(const BlockRecordPlan& record, uint32_t frameCount) {
    if (record.externMode == 0) return 0;
    if (record.externMode == 2) return kModeTwoLength;
    const size_t extra = record.externMode == 1 ? 0 : kOtherModeExtra;
    return static_cast<uint16_t>(4 + kFrameEntrySize * frameCount + extra);
}

std::vector<uint8_t> encodeRecord(const BlockRecordPlan& record) {
    const uint32_t frameCount = record.frameCount.value_or(static_cast<uint32_t>(record.frames.size()));
    const uint16_t extension = record.externDataLength.value_or(defaultExtensionLength(record, frameCount));
    std::vector<uint8_t> bytes(kRecordSize + std::max<size_t>(extension, 4 + kFrameEntrySize * record.frames.size()));
    nvr::ByteWriter writer(bytes);
    writer.u32le(0, record.magic);
    writer.copy(4, record.blockInfo.data(), 3);
    writer.u8(7, record.keyFlag);
    writer.u32le(8, record.unit);
    writer.u32le(12, record.blockOffset);
    writer.u32le(16, record.keyOffset);
    writer.u32le(20, record.keyA);
    writer.u32le(24, record.keyB);
    writer.u8(28, record.keyMarker);
    writer.u8(29, record.externMode);
    writer.u16le(30, extension);
    writer.u32le(32, frameCount);
    for (size_t index = 0; index < record.frames.size(); ++index) {
        const size_t at = kRecordSize + 4 + kFrameEntrySize * index;
        writer.u16le(at + 4, record.frames[index].unitOffset);
        writer.u8(at + 6, record.frames[index].frameType);
        writer.u32le(at + 8, record.frames[index].keyA);
        writer.u32le(at + 12, record.frames[index].keyB);
    }
    bytes.resize(kRecordSize + extension);  // the extension is exactly as long as its length field says
    return bytes;
}

FrameEntryPlan frameEntry(const FrameStart& frame, uint64_t blockStart) {
    return {static_cast<uint16_t>(frame.offset - blockStart), static_cast<uint8_t>(frame.key ? 1 : 0), frame.number,
            frame.number * 40};
}

IndexStyle styleOfBlock(IndexStyle style, size_t block) {
    if (style != IndexStyle::Mixed) return style;
    static constexpr IndexStyle cycle[] = {IndexStyle::FrameLists, IndexStyle::KeyRecords, IndexStyle::FourFrames,
                                           IndexStyle::OtherMode};
    return cycle[block % 4];
}

// Mode 0: the block's first key frame, if any.
void describeKeyRecord(BlockRecordPlan& record, const std::vector<FrameStart>& frames, uint64_t blockStart) {
    auto key = std::find_if(frames.begin(), frames.end(), [](const FrameStart& frame) { return frame.key; });
    if (key == frames.end()) return;
    record.keyFlag = 1;
    record.keyOffset = static_cast<uint32_t>(key->offset - blockStart);
    record.keyMarker = kKeyMarker;
    record.keyA = key->number;
    record.keyB = key->number * 40;
}

// Modes 1, 2 and 3: the block's frames, key frames first when only four fit.
void describeFrameRecord(BlockRecordPlan& record, std::vector<FrameStart> frames, uint64_t blockStart, uint8_t mode) {
    const size_t room = mode == 2 ? 4 : kMostFramesPerRecord;
    if (mode == 2) std::stable_partition(frames.begin(), frames.end(), [](const FrameStart& frame) { return frame.key; });
    record.externMode = mode;
    if (frames.empty()) return;  // a mode-2 record without frames stays plain (its extension is still there)
    record.keyFlag = 1;
    for (size_t index = 0; index < std::min(room, frames.size()); ++index)
        record.frames.push_back(frameEntry(frames[index], blockStart));
}

BlockRecordPlan describeBlock(const RecordingPlan& recording, size_t block, std::vector<FrameStart> frames) {
    const uint64_t blockStart = uint64_t{block} * kRawUnitSize;
    BlockRecordPlan record;
    record.unit = recording.dataUnits[block];
    record.blockOffset = static_cast<uint32_t>(std::min<uint64_t>(kRawUnitSize, recording.payloadLength - blockStart));
    record.blockInfo = {recording.channel, static_cast<uint8_t>(block), static_cast<uint8_t>(block >> 8)};
    switch (styleOfBlock(recording.style, block)) {
    case IndexStyle::KeyRecords: describeKeyRecord(record, frames, blockStart); break;
    case IndexStyle::FrameLists: describeFrameRecord(record, std::move(frames), blockStart, 1); break;
    case IndexStyle::FourFrames: describeFrameRecord(record, std::move(frames), blockStart, 2); break;
    default: describeFrameRecord(record, std::move(frames), blockStart, 3); break;
    }
    if (recording.garbageEvery > 0 && block % recording.garbageEvery == 1)
        record.bytesBefore = {0x88, 0x34, 0x65, 0x97, 0x88, 0x34, 0x65, 0x00, 0xFF, 0x01};  // near-misses of the magic
    return record;
}

void checkUnits(const RecordingPlan& recording) {
    const uint64_t blocks = (recording.payloadLength + kRawUnitSize - 1) / kRawUnitSize;
    if (recording.dataUnits.size() != blocks)
        throw std::invalid_argument(recording.indexPath + ": needs one data unit per 64 KiB block");
}

// Applies the table rule to a valid record: the pending entry, replaced by key frames, is
// appended for every record with key-frame information.
void addEntries(const BlockRecordPlan& record, uint64_t streamOffset, std::vector<uint8_t>& entry,
                std::vector<uint8_t>& table) {
    nvr::ByteWriter writer(entry);
    auto take = [&](uint32_t offset, uint32_t keyA, uint32_t keyB) {
        writer.u32le(0, 1);
        writer.u32le(4, static_cast<uint32_t>(streamOffset + offset));
        writer.copy(8, record.blockInfo.data(), 3);
        writer.u32le(12, keyA);
        writer.u32le(16, keyB);
    };
    if (record.keyFlag != 1) return;
    if (record.externMode == 0) {
        const bool marked = record.keyMarker == kKeyMarker;
        take(record.keyOffset, marked ? record.keyA : 0, marked ? record.keyB : 0);
    }
    for (const FrameEntryPlan& frame : record.frames)
        if (record.externMode != 0 && frame.frameType == 1) take(frame.unitOffset, frame.keyA, frame.keyB);
    table.insert(table.end(), entry.begin(), entry.end());
}

}  // namespace

std::vector<uint8_t> encodeIndexFile(const IndexFilePlan& plan) {
    std::vector<uint8_t> bytes(32);
    std::copy(plan.begin.begin(), plan.begin.end(), bytes.begin() + 4);
    std::copy(plan.end.begin(), plan.end.end(), bytes.begin() + 10);
    for (const BlockRecordPlan& record : plan.records) {
        bytes.insert(bytes.end(), record.bytesBefore.begin(), record.bytesBefore.end());
        const std::vector<uint8_t> encoded = encodeRecord(record);
        bytes.insert(bytes.end(), encoded.begin(), encoded.end());
    }
    bytes.insert(bytes.end(), plan.trailing.begin(), plan.trailing.end());
    return bytes;
}

IndexFilePlan recordingIndexPlan(const RecordingPlan& recording) {
    checkUnits(recording);
    IndexFilePlan plan{recording.begin, recording.end, {}, {}};
    const std::vector<FrameStart> frames = recordingFrames(recording);
    auto next = frames.begin();
    for (size_t block = 0; block < recording.dataUnits.size(); ++block) {
        const uint64_t blockEnd = std::min<uint64_t>(uint64_t{block + 1} * kRawUnitSize, recording.payloadLength);
        auto end = std::find_if(next, frames.end(), [&](const FrameStart& frame) { return frame.offset >= blockEnd; });
        plan.records.push_back(describeBlock(recording, block, std::vector<FrameStart>(next, end)));
        next = end;
    }
    return plan;
}

std::vector<uint8_t> recordingIndexFile(const RecordingPlan& recording) {
    return encodeIndexFile(recordingIndexPlan(recording));
}

std::vector<uint8_t> expectedIndxTable(const RecordingPlan& recording) {
    const IndexFilePlan plan = recordingIndexPlan(recording);
    std::vector<uint8_t> table(16);
    std::vector<uint8_t> entry(20, 0);
    for (size_t block = 0; block < plan.records.size(); ++block)
        addEntries(plan.records[block], uint64_t{block} * kRawUnitSize, entry, table);
    nvr::ByteWriter writer(table);
    writer.copy(0, "INDX", 4);
    writer.u16le(4, 1);
    writer.u16le(8, 2);
    writer.u16le(10, static_cast<uint16_t>((table.size() - 16) / 20));
    writer.u32le(12, static_cast<uint32_t>(table.size()));
    return table;
}

std::vector<uint8_t> expectedStream(const RecordingPlan& recording) {
    std::vector<uint8_t> stream(recording.payloadLength);
    fillPayload(recording, 0, stream);
    if (stream.size() >= 72) nvr::ByteWriter(stream).u32le(68, static_cast<uint32_t>(recording.payloadLength));
    const std::vector<uint8_t> table = expectedIndxTable(recording);
    stream.insert(stream.end(), table.begin(), table.end());
    return stream;
}

}  // namespace nvrtest
