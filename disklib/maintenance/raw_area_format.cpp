#include "raw_area_format.h"

#include <vector>

#include "raw_area_layout.h"
#include "volume_writer.h"

namespace drelmo {

namespace {

constexpr int32_t kRawStartWritten = 0x2000032;
constexpr int32_t kRawDone = 0x2000064;
constexpr uint64_t kBitsPerUnit = kRawUnit * 8;

// The first of sectors 1 to 6 of unit 0 that takes a write holds the tag sector.
uint32_t probeTagSector(const VolumeWriter& area) {
    const SectorBytes zeros{};
    for (uint32_t sector = kFirstTagSector; sector <= kLastTagSector; ++sector) {
        if (area.writeAt(uint64_t{sector} * platform::kSectorSize, zeros) == TQHD_OK) return sector;
    }
    return kFirstTagSector;
}

int32_t writeDescriptors(const VolumeWriter& area, uint64_t unit, uint32_t tagSector, const SectorBytes& superBlock,
                         const SectorBytes& tag, bool withCopy) {
    const uint64_t base = unit * kRawUnit;
    int32_t result = area.writeAt(base, superBlock);
    if (result == TQHD_OK) result = area.writeAt(base + uint64_t{tagSector} * platform::kSectorSize, tag);
    if (result == TQHD_OK && withCopy) result = area.writeAt(base + kRawSuperBlockCopyOffset, superBlock);
    return result;
}

// Eight zeroed copies of the unit bitmap, then copies 0 and 1 again with the last unit's bit set
// (when the bitmap reaches that far).
int32_t writeBitmaps(const VolumeWriter& area, const RawAreaLayout& layout) {
    std::vector<uint8_t> bitmap(layout.bitmapUnits * kRawUnit, 0);
    for (uint32_t copy = 0; copy < kBitmapCopies; ++copy) {
        if (int32_t result = area.writeAt(layout.bitmapCopyStart(copy) * kRawUnit, bitmap); result != TQHD_OK)
            return result;
    }
    const uint64_t lastUnit = layout.totalUnits - 1;
    if (lastUnit >= uint64_t{layout.bitmapUnits} * kBitsPerUnit) return TQHD_OK;
    bitmap[lastUnit / 8] |= static_cast<uint8_t>(1u << (lastUnit % 8));
    for (uint32_t copy = 0; copy < 2; ++copy) {
        if (int32_t result = area.writeAt(layout.bitmapCopyStart(copy) * kRawUnit, bitmap); result != TQHD_OK)
            return result;
    }
    return TQHD_OK;
}

}  // namespace

int32_t formatRawArea(platform::Drive& drive, uint64_t start, uint64_t areaBytes, uint32_t formatTime,
                      const std::function<void(int32_t)>& progress) {
    const VolumeWriter area(drive, start, static_cast<uint32_t>(kRawUnit));
    const RawAreaLayout layout = rawAreaLayout(areaBytes);
    const uint32_t tagSector = probeTagSector(area);
    // The area must hold its descriptors, the bitmaps and at least one data unit.
    if (layout.dataUnits == 0 || layout.dataStart >= layout.totalUnits) return TQHD_E_PARAM;
    const SectorBytes superBlock = encodeRawSuperBlock(layout, tagSector, formatTime);
    const SectorBytes tag = encodeRawTagSector(layout);
    if (int32_t result = writeDescriptors(area, 0, tagSector, superBlock, tag, true); result != TQHD_OK) return result;
    progress(kRawStartWritten);
    if (int32_t result = writeBitmaps(area, layout); result != TQHD_OK) return result;
    const int32_t result = writeDescriptors(area, layout.totalUnits - 1, tagSector, superBlock, tag, false);
    if (result == TQHD_OK) progress(kRawDone);
    return result;
}

}  // namespace drelmo
