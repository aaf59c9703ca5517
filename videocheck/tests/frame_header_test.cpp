// Encoding and decoding of the 12-byte frame header.
#include <array>

#include <gtest/gtest.h>

#include "videocheck/frame_header.h"

namespace {

using videocheck::FrameHeader;

TEST(FrameHeader, EveryFieldSurvivesEncodeAndDecode) {
    FrameHeader header;
    header.leading = 0xA5;
    header.streamType = '4';
    header.payloadLength = 0x00ABCDEF;
    header.checkByte = 0x5A;
    header.skippedLength = 0x00123456;
    header.unused = 0xFE;
    std::array<uint8_t, FrameHeader::kEncodedSize> bytes{};
    videocheck::encodeFrameHeader(header, bytes);
    const std::array<uint8_t, 12> expected = {0xA5, '4', 'd', 'c', 0xEF, 0xCD, 0xAB, 0x5A, 0x56, 0x34, 0x12, 0xFE};
    EXPECT_EQ(bytes, expected);
    const auto decoded = videocheck::decodeFrameHeader(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->leading, 0xA5);
    EXPECT_EQ(decoded->streamType, '4');
    EXPECT_EQ(decoded->payloadLength, 0x00ABCDEFu);
    EXPECT_EQ(decoded->checkByte, 0x5A);
    EXPECT_EQ(decoded->skippedLength, 0x00123456u);
    EXPECT_EQ(decoded->unused, 0xFE);
}

TEST(FrameHeader, RecognisesOnlyStreamTypes2To4FollowedByDc) {
    struct Case {
        std::array<uint8_t, 4> start;
        bool header;
    };
    const Case cases[] = {
        {{0, '2', 'd', 'c'}, true},  {{0xFF, '3', 'd', 'c'}, true}, {{'x', '4', 'd', 'c'}, true},
        {{0, '1', 'd', 'c'}, false}, {{0, '5', 'd', 'c'}, false},   {{0, '2', 'D', 'c'}, false},
        {{0, '2', 'd', 'C'}, false}, {{0, '2', 'c', 'd'}, false},   {{0, 0, 0, 0}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.start.begin() + 1, c.start.end()));
        EXPECT_EQ(videocheck::decodeFrameHeader(c.start).has_value(), c.header);
    }
}

TEST(FrameHeader, MissingBytesAtTheEndReadAsZero) {
    const std::array<uint8_t, 6> start = {0, '3', 'd', 'c', 0x10, 0x20};
    const auto decoded = videocheck::decodeFrameHeader(start);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->payloadLength, 0x2010u);
    EXPECT_EQ(decoded->checkByte, 0);
    EXPECT_EQ(decoded->skippedLength, 0u);
    EXPECT_FALSE(videocheck::decodeFrameHeader(std::span<const uint8_t>(start.data(), 3)));
}

}  // namespace
