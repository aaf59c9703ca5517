// The master boot record of a drive: partition entries, the 0x55AA marker and the NVR signature.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace drelmo {

constexpr size_t kBootRecordSize = 512;
constexpr size_t kPartitionEntryCount = 4;
constexpr size_t kPartitionTableOffset = 446;   // four 16-byte entries
constexpr size_t kSignatureOffset = 196;        // 14 characters, then a 0 at byte 210
constexpr size_t kMarkerOffset = 510;           // 0x55 0xAA
constexpr char kNvrSignature[] = "KXVO-CORVANTEX";
constexpr int kRawAreaEntry = 1;                // entry index of the raw data area

struct PartitionEntry {
    uint8_t type = 0;          // entry offset 4
    uint32_t firstSector = 0;  // entry offset 8
    uint32_t sectorCount = 0;  // entry offset 12

    // Type, first sector and count all set.
    bool isValid() const { return type != 0 && firstSector != 0 && sectorCount != 0; }
    // Valid and not an extended-partition container (type 5): a volume can live here.
    bool isUsable() const { return isValid() && type != 5; }
};

struct BootRecord {
    std::array<PartitionEntry, kPartitionEntryCount> entries{};
    bool hasMarker = false;     // bytes 510-511 are 0x55 0xAA
    bool hasSignature = false;  // bytes 196-209 are the signature text and byte 210 is 0
};

// Decodes 512 bytes (fewer bytes decode as an empty record without marker).
BootRecord decodeBootRecord(std::span<const uint8_t> bytes);

// The number of leading entries that recognition and volume set-up examine: entry 1 always
// counts, entries 0, 2 and 3 when valid (1 to 4).
int entryScanLimit(const BootRecord& record);

}  // namespace drelmo
