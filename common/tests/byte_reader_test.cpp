#include "nvr/byte_reader.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(ByteReader, ReadsLittleEndianFields) {
    const std::array<uint8_t, 8> bytes{0x53, 0xEF, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06};
    nvr::ByteReader reader(bytes);
    EXPECT_EQ(reader.u16le(0), 0xEF53);
    EXPECT_EQ(reader.u32le(2), 0x04030201u);
    EXPECT_EQ(reader.u64le(0), 0x060504030201EF53ull);
    EXPECT_TRUE(reader.ok());
}

TEST(ByteReader, ReadPastTheEndGivesZeroAndStaysFlagged) {
    const std::array<uint8_t, 4> bytes{1, 2, 3, 4};
    nvr::ByteReader reader(bytes);
    EXPECT_EQ(reader.u32le(1), 0u);
    EXPECT_FALSE(reader.ok());
    EXPECT_EQ(reader.u8(0), 1);  // later reads still work
    EXPECT_FALSE(reader.ok());   // but the flag stays
}

TEST(ByteReader, HugeOffsetDoesNotWrap) {
    const std::array<uint8_t, 4> bytes{1, 2, 3, 4};
    nvr::ByteReader reader(bytes);
    EXPECT_EQ(reader.u32le(SIZE_MAX - 1), 0u);
    EXPECT_FALSE(reader.ok());
}

TEST(ByteReader, TextStopsAtNulOrBound) {
    const char bytes[] = "abcdef\0gh";
    nvr::ByteReader reader(bytes, sizeof bytes);
    EXPECT_EQ(reader.text(0, 32), "abcdef");
    EXPECT_EQ(reader.text(0, 3), "abc");
    EXPECT_EQ(reader.text(7, 32), "gh");
}

TEST(ByteWriter, WritesAndRefusesOutside) {
    std::array<uint8_t, 6> bytes{};
    nvr::ByteWriter writer(bytes);
    writer.u32le(0, 0xAABBCCDD);
    writer.u16le(4, 0x1122);
    EXPECT_TRUE(writer.ok());
    writer.u32le(4, 1);
    EXPECT_FALSE(writer.ok());
    EXPECT_EQ(bytes[0], 0xDD);
    EXPECT_EQ(bytes[3], 0xAA);
    EXPECT_EQ(bytes[4], 0x22);
    EXPECT_EQ(bytes[5], 0x11);
}

}  // namespace
