// The fixed messages: hello checks, reply, announcement and notification layouts.
#include <gtest/gtest.h>

#include "protocol/messages.h"

namespace protocol {
namespace {

TEST(Hello, HasTheFixedTwentyBytes) {
    const Hello hello = makeHello();
    const std::vector<uint8_t> expected = {1, 0, 20, 0, 'K', 'X', 'V', 'O', '_', 'S', 'C', 'N', 1, 0, 0, 0, 2, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(hello.begin(), hello.end()), expected);
    EXPECT_EQ(checkFirstHello(hello), 0);
}

TEST(Hello, FirstHelloChecksKindLengthTagAndRoleOnly) {
    struct Case {
        const char* what;
        size_t offset;
        uint8_t value;
        int32_t expected;
    };
    const Case cases[] = {
        {"kind 2", 0, 2, kBadHello},
        {"length 21", 2, 21, kBadHello},
        {"tag letter", 7, 'X', kBadHello},
        {"role 3", 16, 3, kBadHello},
        {"reserved byte 1 is not read", 1, 9, 0},
        {"version bytes are not read", 13, 5, 0},
        {"trailing bytes are not read", 18, 7, 0},
    };
    for (const Case& c : cases) {
        Hello hello = makeHello();
        hello[c.offset] = c.value;
        EXPECT_EQ(checkFirstHello(hello), c.expected) << c.what;
    }
    const Hello hello = makeHello();
    EXPECT_EQ(checkFirstHello(std::span<const uint8_t>(hello).first(19)), kIncomplete);
}

TEST(Hello, RepeatedHelloMustEqualTheKeyByteForByte) {
    const Hello key = makeHello();
    Hello other = key;
    EXPECT_EQ(checkRepeatedHello(other, key), 0);
    other[13] = 1;
    EXPECT_EQ(checkRepeatedHello(other, key), kBadHello) << "byte 13 is not checked in the first hello, but here";
    EXPECT_EQ(checkRepeatedHello(std::span<const uint8_t>(key).first(10), key), kIncomplete);
}

TEST(Reply, EncodesAndDecodesEveryWord) {
    const auto bytes = encodeReply({0x80FF0000, 0x11223344, 0xAABBCCDD});
    const std::vector<uint8_t> expected = {2, 0, 16, 0, 0, 0, 0xFF, 0x80, 0x44, 0x33, 0x22, 0x11, 0xDD, 0xCC, 0xBB, 0xAA};
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin(), bytes.end()), expected);
    const auto reply = decodeReply(bytes);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 0x80FF0000u);
    EXPECT_EQ(reply->extra, 0x11223344u);
    EXPECT_EQ(reply->value, 0xAABBCCDDu);
}

TEST(Reply, OtherMessagesAreNotReplies) {
    auto notification = encodeNotification({1, 2});
    EXPECT_FALSE(decodeReply(notification));
    auto bytes = encodeReply({});
    bytes[2] = 17;
    EXPECT_FALSE(decodeReply(bytes)) << "length field not 16";
}

TEST(Announcement, CarriesSortAndName) {
    const auto bytes = encodeAnnouncement({kSortSection, "Global\\tq_cs_svc_sm_1_2_3"});
    ASSERT_EQ(bytes.size(), 12u + 25u);
    EXPECT_EQ(bytes[0], kKindAnnouncement);
    EXPECT_EQ(bytes[2], 37);
    EXPECT_EQ(bytes[5], kSortSection);
    EXPECT_EQ(bytes[6], 25);
    const auto decoded = decodeAnnouncement(bytes);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->sort, kSortSection);
    EXPECT_EQ(decoded->name, "Global\\tq_cs_svc_sm_1_2_3");
}

TEST(Announcement, NamesBeyondTheLimitOrAgainstTheLengthAreRefused) {
    EXPECT_TRUE(encodeAnnouncement({kSortSessionSocket, std::string(255, 'a')}).empty());
    EXPECT_FALSE(encodeAnnouncement({kSortSessionSocket, std::string(254, 'a')}).empty());
    auto bytes = encodeAnnouncement({kSortSessionSocket, "abc"});
    bytes[6] = 4;  // the name count claims more than the message holds
    EXPECT_FALSE(decodeAnnouncement(bytes));
}

TEST(Notification, CarriesTheEventRecordAtSixteen) {
    const auto bytes = encodeNotification({TQHD_EVENT_COPY_PROGRESS, 0x4000006});
    EXPECT_EQ(bytes[0], kKindNotification);
    EXPECT_EQ(bytes[2], 24);
    for (size_t offset = 4; offset < 16; ++offset) EXPECT_EQ(bytes[offset], 0) << offset;
    EXPECT_EQ(bytes[16], 0x35);
    EXPECT_EQ(bytes[19], 0x10);
    EXPECT_EQ(bytes[23], 0x04);
    const auto event = decodeNotification(bytes);
    ASSERT_TRUE(event);
    EXPECT_EQ(event->lCode, TQHD_EVENT_COPY_PROGRESS);
    EXPECT_EQ(event->lValue, 0x4000006);
}

}  // namespace
}  // namespace protocol
