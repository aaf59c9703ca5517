// Builds the bytes of recording files frame by frame for the check's tests.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "videocheck/frame_header.h"

namespace videocheck_test {

using Bytes = std::vector<uint8_t>;

struct FrameOptions {
    uint8_t streamType = '2';
    Bytes skipped;      // bytes between header and payload
    uint8_t unused = 0;
    uint32_t declaredLength = UINT32_MAX;  // the length field; by default the payload's size
};

inline void appendBytes(Bytes& file, const Bytes& bytes) { file.insert(file.end(), bytes.begin(), bytes.end()); }

inline void appendFrame(Bytes& file, const Bytes& payload, uint8_t checkByte, const FrameOptions& options = {}) {
    videocheck::FrameHeader header;
    header.streamType = options.streamType;
    header.payloadLength = options.declaredLength == UINT32_MAX ? static_cast<uint32_t>(payload.size()) : options.declaredLength;
    header.checkByte = checkByte;
    header.skippedLength = static_cast<uint32_t>(options.skipped.size());
    header.unused = options.unused;
    std::array<uint8_t, videocheck::FrameHeader::kEncodedSize> encoded{};
    videocheck::encodeFrameHeader(header, encoded);
    file.insert(file.end(), encoded.begin(), encoded.end());
    appendBytes(file, options.skipped);
    appendBytes(file, payload);
}

inline Bytes filled(size_t size, uint8_t value) { return Bytes(size, value); }

inline Bytes text(const std::string& characters) { return Bytes(characters.begin(), characters.end()); }

}  // namespace videocheck_test
