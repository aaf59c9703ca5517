#include "boot_record.h"

#include <cstring>

#include "nvr/byte_reader.h"

namespace drelmo {

namespace {

PartitionEntry decodeEntry(nvr::ByteReader& reader, size_t offset) {
    PartitionEntry entry;
    entry.type = reader.u8(offset + 4);
    entry.firstSector = reader.u32le(offset + 8);
    entry.sectorCount = reader.u32le(offset + 12);
    return entry;
}

bool signaturePresent(std::span<const uint8_t> bytes) {
    const size_t length = sizeof kNvrSignature - 1;
    if (bytes.size() < kSignatureOffset + length + 1) return false;
    return std::memcmp(bytes.data() + kSignatureOffset, kNvrSignature, length) == 0 &&
           bytes[kSignatureOffset + length] == 0;
}

}  // namespace

BootRecord decodeBootRecord(std::span<const uint8_t> bytes) {
    BootRecord record;
    if (bytes.size() < kBootRecordSize) return record;
    nvr::ByteReader reader(bytes);
    for (size_t i = 0; i < kPartitionEntryCount; ++i) {
        record.entries[i] = decodeEntry(reader, kPartitionTableOffset + 16 * i);
    }
    record.hasMarker = reader.u8(kMarkerOffset) == 0x55 && reader.u8(kMarkerOffset + 1) == 0xAA;
    record.hasSignature = signaturePresent(bytes);
    return record;
}

int entryScanLimit(const BootRecord& record) {
    int limit = 1;
    for (size_t i : {0u, 2u, 3u}) {
        if (record.entries[i].isValid()) ++limit;
    }
    return limit;
}

}  // namespace drelmo
