// Formats the raw data area: descriptors at its start and in its last unit, empty bitmaps.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/drive.h"

namespace drelmo {

// Writes the area that starts at drive byte `start` and is `areaBytes` long. `progress` receives
// the event values after the descriptors at the start and at the end. TQHD_OK, TQHD_E_WRITE,
// TQHD_E_PARAM (an area without data units), TQHD_E_NOMEM.
int32_t formatRawArea(platform::Drive& drive, uint64_t start, uint64_t areaBytes, uint32_t formatTime,
                      const std::function<void(int32_t)>& progress);

}  // namespace drelmo
