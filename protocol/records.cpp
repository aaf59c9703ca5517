// Field-by-field encoding of the library's records at their wire sizes.
#include "protocol/records.h"

#include <cstring>

#include "nvr/byte_reader.h"

namespace protocol {

void encodeDiskInfo(const TQHD_DISK_INFO& info, std::span<uint8_t> out) {
    nvr::ByteWriter writer(out.first(kDiskInfoSize));
    writer.u32le(0, static_cast<uint32_t>(info.lSize));
    writer.u32le(4, static_cast<uint32_t>(info.lReserved));
    writer.u32le(8, static_cast<uint32_t>(info.hdindex));
    writer.u32le(12, static_cast<uint32_t>(info.lGroup));
    writer.copy(16, info.reserved, sizeof info.reserved);
}

TQHD_DISK_INFO decodeDiskInfo(std::span<const uint8_t> in) {
    nvr::ByteReader reader(in.first(kDiskInfoSize));
    TQHD_DISK_INFO info{};
    info.lSize = reader.i32le(0);
    info.lReserved = reader.i32le(4);
    info.hdindex = reader.i32le(8);
    info.lGroup = reader.i32le(12);
    reader.copy(16, info.reserved, sizeof info.reserved);
    return info;
}

void encodeDriverInfo(const TQHD_DRIVER_INFO& info, std::span<uint8_t> out) {
    nvr::ByteWriter writer(out.first(kDriverInfoSize));
    writer.u32le(0, static_cast<uint32_t>(info.lReserved0));
    writer.u32le(4, static_cast<uint32_t>(info.lReserved1));
    writer.u32le(8, static_cast<uint32_t>(info.lVolume));
    writer.u32le(12, static_cast<uint32_t>(info.lPartition));
}

TQHD_DRIVER_INFO decodeDriverInfo(std::span<const uint8_t> in) {
    nvr::ByteReader reader(in.first(kDriverInfoSize));
    TQHD_DRIVER_INFO info{};
    info.lReserved0 = reader.i32le(0);
    info.lReserved1 = reader.i32le(4);
    info.lVolume = reader.i32le(8);
    info.lPartition = reader.i32le(12);
    return info;
}

void encodeFindData(const TQHD_FIND_DATA& record, std::span<uint8_t> out) {
    nvr::ByteWriter writer(out.first(kFindDataSize));
    writer.u32le(0, 0);
    writer.u32le(4, static_cast<uint32_t>(record.lType));
    writer.copy(8, record.szName, sizeof record.szName);
    writer.u32le(268, static_cast<uint32_t>(record.lVolume));
    writer.u32le(kFindInodeOffset, record.lInode);
}

TQHD_FIND_DATA decodeFindData(std::span<const uint8_t> in) {
    nvr::ByteReader reader(in.first(kFindDataSize));
    TQHD_FIND_DATA record{};
    record.pNext = nullptr;
    record.lType = reader.i32le(4);
    reader.copy(8, record.szName, sizeof record.szName);
    record.szName[sizeof record.szName - 1] = '\0';  // a name from the wire always ends
    record.lVolume = reader.i32le(268);
    record.lInode = reader.u32le(kFindInodeOffset);
    return record;
}

}  // namespace protocol
