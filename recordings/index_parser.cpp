#include "index_parser.h"

#include "platform/debug.h"

namespace quarnel {
namespace {

// What the scan does after looking at one position.
struct Step {
    enum Kind { Accept, Reject, End } kind;
    size_t next = 0;  // the next scan offset when accepted
};

class IndexScan {
public:
    explicit IndexScan(std::span<const uint8_t> data) : data_(data) {}

    ParsedIndex run() {
        if (data_.size() < kIndexHeaderSize) return {};
        result_.header = decodeIndexHeader(data_);
        size_t offset = kIndexHeaderSize;
        while (offset < data_.size()) {
            const Step step = look(offset);
            if (step.kind == Step::End) break;
            offset = step.kind == Step::Accept ? step.next : offset + 1;
        }
        return std::move(result_);
    }

private:
    Step look(size_t offset) {
        const auto magic = u32At(data_, offset);
        if (!magic) return {Step::End};
        if (*magic != kBlockMagic) return reject("# test # quarnel.dll, magic error\n");
        const auto record = decodeBlockRecord(data_, offset);
        if (!record) return {Step::End};
        if (record->blockOffset > kUnitSize) return reject("# test # quarnel.dll, magic error\n");
        if (record->keyFlag != 1) return acceptPlain(*record, offset);
        if (record->externMode == 0) return acceptKeyRecord(*record, offset);
        return scanFrames(*record, offset);
    }

    static Step reject(const char* line) {
        platform::debugOut("%s", line);
        return {Step::Reject};
    }

    // A record without key-frame information; a mode-2 extension is stepped over, any other is
    // left for the scan to resynchronise on the next magic.
    Step acceptPlain(const BlockRecord& record, size_t offset) {
        accept(record);
        const size_t extension = record.externMode == 2 ? kModeTwoExtensionLength : 0;
        return {Step::Accept, offset + kBlockRecordSize + extension};
    }

    Step acceptKeyRecord(const BlockRecord& record, size_t offset) {
        const bool marked = record.keyMarker == kKeyMarker;
        pending_ = {1, static_cast<uint32_t>(streamOffset_ + record.keyOffset), record.blockInfo,
                    marked ? record.keyA : 0, marked ? record.keyB : 0};
        result_.entries.push_back(pending_);
        accept(record);
        return {Step::Accept, offset + kBlockRecordSize};
    }

    static bool lengthFitsMode(const BlockRecord& record, uint32_t frameCount) {
        if (record.externMode == 1) return record.externDataLength == kFrameEntrySize * frameCount + kFrameCountSize;
        if (record.externMode == 2) return record.externDataLength == kModeTwoExtensionLength;
        return true;  // other modes carry no length rule
    }

    Step scanFrames(const BlockRecord& record, size_t offset) {
        const auto frameCount = u32At(data_, offset + kBlockRecordSize);
        if (!frameCount) return {Step::End};
        if (*frameCount > kMaximumFrames) return reject("# test # quarnel.dll,ulFrameCount:nvr file problem!\n");
        if (!lengthFitsMode(record, *frameCount)) return reject("# test # quarnel.dll, externmode error\n");
        // The pending entry changes only for key frames; the last key frame of the record wins.
        IndxEntry entry = pending_;
        const size_t first = offset + kBlockRecordSize + kFrameCountSize;
        for (uint32_t index = 0; index < *frameCount; ++index) {
            const auto frame = decodeFrameEntry(data_, first + kFrameEntrySize * index);
            if (!frame) return {Step::End};
            if (frame->frameType == 1)
                entry = {1, static_cast<uint32_t>(streamOffset_ + frame->unitOffset), record.blockInfo, frame->keyA,
                         frame->keyB};
        }
        pending_ = entry;
        result_.entries.push_back(pending_);
        accept(record);
        return {Step::Accept, offset + kBlockRecordSize + record.externDataLength};
    }

    void accept(const BlockRecord& record) {
        result_.units.push_back(record.unit);
        result_.payloadLength += record.blockOffset;
        streamOffset_ += kUnitSize;
    }

    std::span<const uint8_t> data_;
    ParsedIndex result_;
    IndxEntry pending_;        // kept from record to record, only ever overwritten
    uint64_t streamOffset_ = 0;  // R: the stream offset of the next logical unit
};

}  // namespace

ParsedIndex parseIndex(std::span<const uint8_t> data) { return IndexScan(data).run(); }

}  // namespace quarnel
