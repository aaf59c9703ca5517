// Where the raw data area lies (from the master boot record) and its RawSuperBlock, the sector
// that marks the area and tells where its data units start.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace quarnel {

constexpr size_t kBootRecordSize = 512;
constexpr size_t kRawSuperBlockSize = 324;
constexpr uint32_t kRawSuperBlockMagic = 0x5A5A4141;  // "AAZZ"
// The second place of the RawSuperBlock inside unit 0 (sector 7).
constexpr uint64_t kSecondSuperBlockOffset = 3584;

// The raw data area: directly behind partition 1, as large as partition 2.
struct RawAreaPlace {
    uint64_t start = 0;  // byte position on the disk
    uint64_t size = 0;   // bytes
};

// The area's place when the boot record is valid: entry 1's status byte (446) is 0x00 or 0x80
// and bytes 510, 511 are 0x55 0xAA. Start = (u32 at 454 + u32 at 458, summed in 32 bits) * 512,
// size = u32 at 474 * 512.
std::optional<RawAreaPlace> decodeBootRecord(std::span<const uint8_t> sector);

// The fields of the RawSuperBlock copy that the library uses.
struct RawSuperBlock {
    uint32_t magic = 0;      // 4
    uint32_t dataStart = 0;  // 16: D, the unit where data unit 0 lies
};
RawSuperBlock decodeRawSuperBlock(std::span<const uint8_t> copy);

}  // namespace quarnel
