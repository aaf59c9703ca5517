#include "raw_area_layout.h"

#include "nvr/byte_reader.h"

namespace drelmo {

RawAreaLayout rawAreaLayout(uint64_t areaBytes) {
    RawAreaLayout layout;
    const uint64_t units = areaBytes / kRawUnit;
    layout.totalUnits = units > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(units);
    layout.dataUnits = layout.totalUnits - layout.totalUnits / 100;
    const uint64_t bitmapBytes = (uint64_t{layout.dataUnits} + 7) / 8;
    layout.bitmapUnits = static_cast<uint32_t>((bitmapBytes + kRawUnit - 1) / kRawUnit);
    layout.dataStart = 1 + kBitmapCopies * layout.bitmapUnits;
    return layout;
}

SectorBytes encodeRawSuperBlock(const RawAreaLayout& layout, uint32_t tagSector, uint32_t formatTime) {
    SectorBytes sector{};
    nvr::ByteWriter writer(sector);
    const uint8_t lead[4] = {14, 13, 10, 12};
    writer.copy(0, lead, sizeof lead);
    writer.u32le(4, kRawMagic);
    writer.u32le(8, layout.dataUnits);
    writer.u32le(12, 1);  // 65536 / unit size
    writer.u32le(16, layout.dataStart);
    writer.u32le(20, layout.dataUnits + 1);
    writer.u32le(24, 1);  // bitmap copy 0
    writer.u32le(28, layout.bitmapUnits + 1);  // bitmap copy 1
    writer.u32le(32, layout.bitmapUnits);
    writer.u32le(36, layout.totalUnits);
    writer.u32le(40, static_cast<uint32_t>(kRawUnit));
    writer.u32le(44, tagSector);
    writer.u32le(52, formatTime);
    writer.u16le(60, kRawCheckWord);
    writer.u32le(68, formatTime);
    writer.u8(122, 1);
    writer.u8(124, 1);
    for (uint32_t copy = 0; copy < kBitmapCopies; ++copy) writer.u32le(132 + 4 * copy, layout.bitmapCopyStart(copy));
    // Bytes 165 to 196 hold the disk name; a formatted disk has none.
    return sector;
}

SectorBytes encodeRawTagSector(const RawAreaLayout& layout) {
    SectorBytes sector{};
    nvr::ByteWriter writer(sector);
    writer.u32le(0, kRawTagMagic);
    writer.u32le(484, kRawTagMarker);
    writer.u32le(488, layout.dataUnits);
    return sector;
}

}  // namespace drelmo
