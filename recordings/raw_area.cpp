#include "raw_area.h"

#include "nvr/byte_reader.h"

namespace quarnel {

std::optional<RawAreaPlace> decodeBootRecord(std::span<const uint8_t> sector) {
    nvr::ByteReader reader(sector);
    const uint8_t status = reader.u8(446);
    const bool marked = reader.u8(510) == 0x55 && reader.u8(511) == 0xAA;
    if (!reader.ok() || (status != 0x00 && status != 0x80) || !marked) return std::nullopt;
    const uint32_t startSector = reader.u32le(454) + reader.u32le(458);  // wraps in 32 bits, as stored
    return RawAreaPlace{uint64_t{startSector} * 512, uint64_t{reader.u32le(474)} * 512};
}

RawSuperBlock decodeRawSuperBlock(std::span<const uint8_t> copy) {
    nvr::ByteReader reader(copy);
    return {reader.u32le(4), reader.u32le(16)};
}

}  // namespace quarnel
