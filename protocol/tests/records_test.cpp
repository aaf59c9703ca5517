// The wire forms of the library's records: sizes, offsets of every field, pNext as a zero word.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "nvr/byte_reader.h"
#include "protocol/records.h"

namespace protocol {
namespace {

TEST(Records, DiskInfoFieldsSitAtTheirOffsets) {
    TQHD_DISK_INFO info{};
    info.lSize = 80;
    info.lReserved = -5;
    info.hdindex = 23;
    info.lGroup = 0x01020304;
    for (size_t i = 0; i < sizeof info.reserved; ++i) info.reserved[i] = static_cast<uint8_t>(i + 1);
    std::vector<uint8_t> bytes(kDiskInfoSize, 0xEE);
    encodeDiskInfo(info, bytes);
    nvr::ByteReader reader(bytes);
    EXPECT_EQ(reader.i32le(0), 80);
    EXPECT_EQ(reader.i32le(4), -5);
    EXPECT_EQ(reader.i32le(8), 23);
    EXPECT_EQ(reader.i32le(12), 0x01020304);
    EXPECT_EQ(bytes[16], 1);
    EXPECT_EQ(bytes[79], 64);
    const TQHD_DISK_INFO back = decodeDiskInfo(bytes);
    EXPECT_EQ(std::memcmp(&back, &info, sizeof info), 0);
}

TEST(Records, DriverInfoFieldsSitAtTheirOffsets) {
    const TQHD_DRIVER_INFO info{1, 2, 3, TQHD_RAW_PARTITION};
    std::vector<uint8_t> bytes(kDriverInfoSize);
    encodeDriverInfo(info, bytes);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 2, 0, 0, 0}));
    const TQHD_DRIVER_INFO back = decodeDriverInfo(bytes);
    EXPECT_EQ(back.lVolume, 3);
    EXPECT_EQ(back.lPartition, TQHD_RAW_PARTITION);
}

TEST(Records, FindDataIs276BytesWithAZeroLinkWord) {
    TQHD_FIND_DATA next{};
    TQHD_FIND_DATA record{};
    record.pNext = &next;
    record.lType = TQHD_TYPE_DIRECTORY;
    std::strcpy(record.szName, "record");
    record.lVolume = 2;
    record.lInode = 0xFFFFFFF0u;
    std::vector<uint8_t> bytes(kFindDataSize, 0xEE);
    encodeFindData(record, bytes);
    nvr::ByteReader reader(bytes);
    EXPECT_EQ(reader.u32le(0), 0u) << "an address means nothing to the other process";
    EXPECT_EQ(reader.i32le(4), TQHD_TYPE_DIRECTORY);
    EXPECT_EQ(reader.text(8, 260), "record");
    EXPECT_EQ(reader.i32le(268), 2);
    EXPECT_EQ(reader.u32le(272), 0xFFFFFFF0u);
    const TQHD_FIND_DATA back = decodeFindData(bytes);
    EXPECT_EQ(back.pNext, nullptr);
    EXPECT_STREQ(back.szName, "record");
    EXPECT_EQ(back.lInode, 0xFFFFFFF0u);
}

TEST(Records, ANameFromTheWireAlwaysEnds) {
    std::vector<uint8_t> bytes(kFindDataSize, 'x');
    const TQHD_FIND_DATA record = decodeFindData(bytes);
    EXPECT_EQ(std::strlen(record.szName), 259u);
}

}  // namespace
}  // namespace protocol
