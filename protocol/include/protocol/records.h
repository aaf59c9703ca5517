// The library's records as they travel: fixed sizes, little-endian, field by field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "tqhd_types.h"

namespace protocol {

// TQHD_DISK_INFO: 0 lSize, 4 lReserved, 8 hdindex, 12 lGroup, 16 reserved[64].
constexpr size_t kDiskInfoSize = 80;
// TQHD_DRIVER_INFO: 0 lReserved0, 4 lReserved1, 8 lVolume, 12 lPartition.
constexpr size_t kDriverInfoSize = 16;
// TQHD_FIND_DATA: 0 pNext (a 4-byte word, always 0 on the wire), 4 lType, 8 szName[260],
// 268 lVolume, 272 lInode.
constexpr size_t kFindDataSize = 276;
constexpr size_t kFindInodeOffset = 272;

// Each writes exactly its size at the start of `out` (which must hold it) or reads it from `in`.
void encodeDiskInfo(const TQHD_DISK_INFO& info, std::span<uint8_t> out);
TQHD_DISK_INFO decodeDiskInfo(std::span<const uint8_t> in);
void encodeDriverInfo(const TQHD_DRIVER_INFO& info, std::span<uint8_t> out);
TQHD_DRIVER_INFO decodeDriverInfo(std::span<const uint8_t> in);
// pNext is written as 0 and decoded as null: addresses mean nothing in another process.
void encodeFindData(const TQHD_FIND_DATA& record, std::span<uint8_t> out);
TQHD_FIND_DATA decodeFindData(std::span<const uint8_t> in);

}  // namespace protocol
