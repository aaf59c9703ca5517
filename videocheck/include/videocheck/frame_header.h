// The 12-byte header in front of every frame of a ".264"/".265" recording file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace videocheck {

struct FrameHeader {
    static constexpr size_t kEncodedSize = 12;
    static constexpr uint32_t kFieldMask = 0x00FFFFFF;  // both length fields are 24 bits wide

    uint8_t leading = 0;          // offset 0: any value
    uint8_t streamType = '2';     // offset 1: '2', '3' or '4'
                                  // offset 2: "dc"
    uint32_t payloadLength = 0;   // offset 4, bits 0-23
    uint8_t checkByte = 0;        // offset 4, bits 24-31: sum of the sampled payload bytes
    uint32_t skippedLength = 0;   // offset 8, bits 0-23: bytes between header and payload
    uint8_t unused = 0;           // offset 8, bits 24-31
};

// Decodes a frame header from the first bytes of `bytes`; bytes missing at the end count as zero,
// as a short read into a zeroed buffer would leave them. Nullopt when they are not a frame header.
std::optional<FrameHeader> decodeFrameHeader(std::span<const uint8_t> bytes);

// Encodes `header` into exactly kEncodedSize bytes (fields wider than 24 bits are cut).
void encodeFrameHeader(const FrameHeader& header, std::span<uint8_t, FrameHeader::kEncodedSize> out);

}  // namespace videocheck
