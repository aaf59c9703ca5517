// Deterministic test bytes: a splitmix64 stream per seed, one 64-bit word for every 8 offsets.
#include "disk_image_builder.h"

namespace nvrtest {
namespace {

constexpr uint64_t kGolden = 0x9E3779B97F4A7C15ull;

uint64_t mix(uint64_t value) {
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

// Word `index` of the seed's stream; the seed is mixed first so nearby seeds share no words.
uint64_t patternWord(uint64_t seed, uint64_t index) {
    return mix(mix(seed + kGolden) + (index + 1) * kGolden);
}

}  // namespace

uint8_t patternByte(uint64_t seed, uint64_t offset) {
    return static_cast<uint8_t>(patternWord(seed, offset / 8) >> (8 * (offset % 8)));
}

void fillPattern(uint64_t seed, uint64_t offset, std::span<uint8_t> out) {
    size_t position = 0;
    while (position < out.size()) {
        uint64_t absolute = offset + position;
        uint64_t word = patternWord(seed, absolute / 8);
        for (unsigned byte = absolute % 8; byte < 8 && position < out.size(); ++byte, ++position)
            out[position] = static_cast<uint8_t>(word >> (8 * byte));
    }
}

std::vector<uint8_t> patternBytes(uint64_t seed, uint64_t size) {
    std::vector<uint8_t> bytes(size);
    fillPattern(seed, 0, bytes);
    return bytes;
}

}  // namespace nvrtest
