// The descriptors of a freshly formatted raw data area: its unit counts, the RawSuperBlock and
// the RawTagSector, encoded field by field.
#pragma once

#include <cstdint>

#include "resume_record.h"

namespace drelmo {

constexpr uint64_t kRawUnit = 65536;
constexpr uint32_t kRawMagic = 0x5A5A4141;      // "AAZZ"
constexpr uint32_t kRawTagMagic = 0x41615252;   // "RRaA"
constexpr uint32_t kRawTagMarker = 0x5A5A5A5A;
constexpr uint16_t kRawCheckWord = 0x1314;
constexpr uint64_t kRawSuperBlockCopyOffset = 3584;  // sector 7 of unit 0
constexpr uint32_t kBitmapCopies = 8;
constexpr uint32_t kFirstTagSector = 1;
constexpr uint32_t kLastTagSector = 6;

struct RawAreaLayout {
    uint32_t totalUnits = 0;   // T
    uint32_t dataUnits = 0;    // N = T - T / 100
    uint32_t bitmapUnits = 0;  // B: the units that hold N bits
    uint32_t dataStart = 0;    // D = 1 + 8 B
    uint32_t bitmapCopyStart(uint32_t copy) const { return 1 + copy * bitmapUnits; }
};

RawAreaLayout rawAreaLayout(uint64_t areaBytes);
SectorBytes encodeRawSuperBlock(const RawAreaLayout& layout, uint32_t tagSector, uint32_t formatTime);
SectorBytes encodeRawTagSector(const RawAreaLayout& layout);

}  // namespace drelmo
