// Decoding and encoding of the frame header, field by field.
#include "videocheck/frame_header.h"

#include <algorithm>
#include <array>

#include "nvr/byte_reader.h"

namespace videocheck {
namespace {

bool isStreamType(uint8_t value) { return value == '2' || value == '3' || value == '4'; }

}  // namespace

std::optional<FrameHeader> decodeFrameHeader(std::span<const uint8_t> bytes) {
    std::array<uint8_t, FrameHeader::kEncodedSize> padded{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), padded.size()), padded.begin());
    nvr::ByteReader reader(padded);
    if (!isStreamType(reader.u8(1)) || reader.u8(2) != 'd' || reader.u8(3) != 'c') return std::nullopt;
    const uint32_t lengthWord = reader.u32le(4);
    const uint32_t skipWord = reader.u32le(8);
    FrameHeader header;
    header.leading = reader.u8(0);
    header.streamType = reader.u8(1);
    header.payloadLength = lengthWord & FrameHeader::kFieldMask;
    header.checkByte = static_cast<uint8_t>(lengthWord >> 24);
    header.skippedLength = skipWord & FrameHeader::kFieldMask;
    header.unused = static_cast<uint8_t>(skipWord >> 24);
    return header;
}

void encodeFrameHeader(const FrameHeader& header, std::span<uint8_t, FrameHeader::kEncodedSize> out) {
    nvr::ByteWriter writer(out.data(), out.size());
    writer.u8(0, header.leading);
    writer.u8(1, header.streamType);
    writer.u8(2, 'd');
    writer.u8(3, 'c');
    writer.u32le(4, (header.payloadLength & FrameHeader::kFieldMask) | (uint32_t{header.checkByte} << 24));
    writer.u32le(8, (header.skippedLength & FrameHeader::kFieldMask) | (uint32_t{header.unused} << 24));
}

}  // namespace videocheck
