// The receive buffer: messages split over reads, several in one read, and bad length fields.
#include <gtest/gtest.h>

#include <cstring>

#include "protocol/receive_buffer.h"
#include "protocol/requests.h"

namespace protocol {
namespace {

void append(ReceiveBuffer& buffer, const std::vector<uint8_t>& bytes) {
    ASSERT_LE(bytes.size(), buffer.freeSpace().size());
    std::memcpy(buffer.freeSpace().data(), bytes.data(), bytes.size());
    buffer.added(bytes.size());
}

std::vector<uint8_t> readRequest(uint32_t handle) {
    Request request;
    request.code = kReadFile;
    request.handle = handle;
    request.number = 100;
    return encodeRequest(request).value();
}

TEST(ReceiveBuffer, ARequestInTwoPiecesIsCompleteOnlyAfterTheSecond) {
    const auto bytes = readRequest(5);
    for (size_t split : {1u, 3u, 4u, 11u}) {
        ReceiveBuffer buffer;
        append(buffer, {bytes.begin(), bytes.begin() + static_cast<long>(split)});
        EXPECT_EQ(buffer.front().state, MessageState::Incomplete) << split;
        append(buffer, {bytes.begin() + static_cast<long>(split), bytes.end()});
        const auto view = buffer.front();
        ASSERT_EQ(view.state, MessageState::Complete) << split;
        EXPECT_EQ(std::vector<uint8_t>(view.bytes.begin(), view.bytes.end()), bytes);
    }
}

TEST(ReceiveBuffer, TheRestOfALaterMessageStaysAtTheStart) {
    auto both = readRequest(1);
    const auto second = readRequest(2);
    both.insert(both.end(), second.begin(), second.begin() + 5);
    ReceiveBuffer buffer;
    append(buffer, both);
    ASSERT_EQ(buffer.front().state, MessageState::Complete);
    buffer.consume(buffer.front().bytes.size());
    EXPECT_EQ(buffer.size(), 5u);
    EXPECT_EQ(buffer.front().state, MessageState::Incomplete);
    append(buffer, {second.begin() + 5, second.end()});
    const auto view = buffer.front();
    ASSERT_EQ(view.state, MessageState::Complete);
    EXPECT_EQ(view.bytes[4], 2);
}

TEST(ReceiveBuffer, LengthFieldsBelowTheHeaderOrAboveTheLimitAreMalformed) {
    for (uint16_t length : {0, 1, 3, 4097, 65535}) {
        ReceiveBuffer buffer;
        append(buffer, {kReadFile, 0, static_cast<uint8_t>(length), static_cast<uint8_t>(length >> 8)});
        EXPECT_EQ(buffer.front().state, MessageState::Malformed) << length;
    }
    ReceiveBuffer buffer;
    append(buffer, {kGetHardDiskList, 0, 4, 0});
    EXPECT_EQ(buffer.front().state, MessageState::Complete);
}

TEST(ReceiveBuffer, AMessageOfTheWholeLimitFitsExactly) {
    ReceiveBuffer buffer;
    std::vector<uint8_t> bytes(kMessageLimit, 0);
    bytes[0] = 40;
    bytes[2] = 0x00;
    bytes[3] = 0x10;
    append(buffer, bytes);
    EXPECT_TRUE(buffer.freeSpace().empty());
    EXPECT_EQ(buffer.front().state, MessageState::Complete);
}

}  // namespace
}  // namespace protocol
