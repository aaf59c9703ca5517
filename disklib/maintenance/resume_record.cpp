#include "resume_record.h"

#include "nvr/byte_reader.h"

namespace drelmo {

SectorBytes encodeResumeRecord(uint64_t offset) {
    SectorBytes sector{};
    nvr::ByteWriter writer(sector);
    writer.u16le(0, kResumeMagic);
    writer.u64le(kResumeOffsetField, offset);
    return sector;
}

std::optional<uint64_t> decodeResumeRecord(std::span<const uint8_t> sector) {
    nvr::ByteReader reader(sector);
    if (sector.size() < platform::kSectorSize || reader.u16le(0) != kResumeMagic) return std::nullopt;
    return reader.u64le(kResumeOffsetField);
}

}  // namespace drelmo
