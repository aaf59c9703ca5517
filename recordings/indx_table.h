// The "INDX" table served behind a recording's payload: a 16-byte head, then one 20-byte entry
// per key-frame record of the index file.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quarnel {

constexpr size_t kIndxHeadSize = 16;
constexpr size_t kIndxEntrySize = 20;

struct IndxEntry {
    uint32_t entryFlag = 0;               // 0: 1 once a key frame has been seen in the file
    uint32_t streamOffset = 0;            // 4: stream offset of the key frame (wraps at 32 bits)
    std::array<uint8_t, 3> blockInfo{};   // 8: from the record; byte 11 is 0
    uint32_t keyA = 0;                    // 12
    uint32_t keyB = 0;                    // 16
};
static_assert(kIndxEntrySize == 4 + 4 + 3 + 1 + 4 + 4);

// The table's bytes: "INDX", 1, 0, 2, entry count (low 16 bits), table length, the entries.
std::vector<uint8_t> buildIndxTable(const std::vector<IndxEntry>& entries);

}  // namespace quarnel
