// Rules every drive backend applies to a request before touching its bytes: whole sectors at
// sector positions, and the sectors a fault list makes fail.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/drive.h"

namespace platform {

// True when the request starts on a sector boundary and covers whole sectors.
inline bool wholeSectors(uint64_t offset, size_t count) {
    return offset % kSectorSize == 0 && count % kSectorSize == 0;
}

// True when the sector runs [firstA, firstA + countA) and [firstB, firstB + countB) share a sector;
// written without sums so that runs near the top of the 64-bit range cannot wrap.
inline bool sectorRunsOverlap(uint64_t firstA, uint64_t countA, uint64_t firstB, uint64_t countB) {
    if (countA == 0 || countB == 0) return false;
    return firstA <= firstB ? firstB - firstA < countA : firstA - firstB < countB;
}

// True when a whole-sector request at `offset` of `count` bytes touches a listed sector.
inline bool requestTouches(const std::vector<SectorRange>& ranges, uint64_t offset, size_t count) {
    const uint64_t first = offset / kSectorSize;
    const uint64_t sectors = count / kSectorSize;
    for (const SectorRange& range : ranges) {
        if (sectorRunsOverlap(first, sectors, range.first, range.count)) return true;
    }
    return false;
}

// The sectors that fail for one handle, fixed when it is opened.
struct FaultPlan {
    std::vector<SectorRange> read;
    std::vector<SectorRange> write;
};

}  // namespace platform
