// The frame check exactly as described, one 12-byte header read at every position between
// frames: the oracle that the block-reading check is compared with in tests and the fuzzer.
#pragma once

#include <algorithm>
#include <cstdint>
#include <span>

#include "videocheck/frame_check.h"

namespace videocheck_test {

inline videocheck::CheckCode literalCheck(std::span<const uint8_t> file) {
    using videocheck::CheckCode;
    const uint64_t length = file.size();
    if (length == 0) return CheckCode::ReadFailure;
    uint64_t position = 0;
    while (true) {
        uint8_t header[12] = {};
        for (uint64_t i = 0; i < 12 && position + i < length; ++i) header[i] = file[position + i];
        const bool match = header[1] >= '2' && header[1] <= '4' && header[2] == 'd' && header[3] == 'c';
        if (!match) {
            if (++position == length) return CheckCode::Success;
            continue;
        }
        const uint32_t payloadLength = header[4] | (header[5] << 8) | (header[6] << 16);
        const uint32_t skipped = header[8] | (header[9] << 8) | (header[10] << 16);
        position += 12 + skipped + payloadLength;
        if (position > length) return CheckCode::Success;
        const uint32_t stride = payloadLength <= 128 ? 1 : payloadLength >> 7;
        const uint32_t count = payloadLength <= 128 ? payloadLength : std::min<uint32_t>(payloadLength / stride, 128);
        uint8_t sum = 0;
        for (uint32_t k = 0; k < count; ++k) sum = static_cast<uint8_t>(sum + file[position - 1 - k * stride]);
        if (sum != header[7]) return CheckCode::Failure;
        if (position == length) return CheckCode::Success;
    }
}

}  // namespace videocheck_test
