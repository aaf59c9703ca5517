#include "index_records.h"

#include "nvr/byte_reader.h"

namespace quarnel {
namespace {

StoredTime decodeTime(nvr::ByteReader& reader, size_t offset) {
    return {reader.u8(offset), reader.u8(offset + 1), reader.u8(offset + 2),
            reader.u8(offset + 3), reader.u8(offset + 4), reader.u8(offset + 5)};
}

bool fits(std::span<const uint8_t> data, size_t offset, size_t count) {
    return offset <= data.size() && count <= data.size() - offset;
}

}  // namespace

IndexFileHeader decodeIndexHeader(std::span<const uint8_t> data) {
    nvr::ByteReader reader(data.first(std::min(data.size(), kIndexHeaderSize)));
    return {decodeTime(reader, 4), decodeTime(reader, 10)};
}

std::optional<uint32_t> u32At(std::span<const uint8_t> data, size_t offset) {
    if (!fits(data, offset, 4)) return std::nullopt;
    return nvr::ByteReader(data.subspan(offset, 4)).u32le(0);
}

std::optional<BlockRecord> decodeBlockRecord(std::span<const uint8_t> data, size_t offset) {
    if (!fits(data, offset, kBlockRecordSize)) return std::nullopt;
    nvr::ByteReader reader(data.subspan(offset, kBlockRecordSize));
    BlockRecord record;
    record.magic = reader.u32le(0);
    record.blockInfo = {reader.u8(4), reader.u8(5), reader.u8(6)};
    record.keyFlag = reader.u8(7);
    record.unit = reader.u32le(8);
    record.blockOffset = reader.u32le(12);
    record.keyOffset = reader.u32le(16);
    record.keyA = reader.u32le(20);
    record.keyB = reader.u32le(24);
    record.keyMarker = reader.u8(28);
    record.externMode = reader.u8(29);
    record.externDataLength = reader.u16le(30);
    return record;
}

std::optional<FrameEntry> decodeFrameEntry(std::span<const uint8_t> data, size_t offset) {
    if (!fits(data, offset, kFrameEntrySize)) return std::nullopt;
    nvr::ByteReader reader(data.subspan(offset, kFrameEntrySize));
    FrameEntry entry;
    entry.unitOffset = reader.u16le(4);
    entry.frameType = reader.u8(6);
    entry.keyA = reader.u32le(8);
    entry.keyB = reader.u32le(12);
    return entry;
}

}  // namespace quarnel
