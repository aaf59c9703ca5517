// Registration: hellos that are refused on either socket, clients that say nothing, and
// messages that break the framing.
#include <thread>

#include "protocol/names.h"
#include "service_fixture.h"

namespace halvextest {
namespace {

using HandshakeTest = ServiceTest;

// True when the peer closes the socket without sending a message first.
bool closesWithoutMessage(platform::LocalSocket& socket) {
    protocol::ReceiveBuffer buffer;
    return !readOneMessage(socket, buffer).has_value();
}

TEST_F(HandshakeTest, RefusedFirstHellosCloseTheConnectionAndTheNextClientIsServed) {
    struct Case {
        const char* what;
        size_t offset;
        uint8_t value;
    };
    const Case cases[] = {{"length field 21", 2, 21}, {"kind 2", 0, 2}, {"tag letter", 4, 'k'}, {"role byte 3", 16, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        protocol::Hello hello = protocol::makeHello();
        hello[c.offset] = c.value;
        platform::LocalSocket refused = RawClient::sendFirstHello(hello);
        ASSERT_TRUE(refused.valid());
        EXPECT_TRUE(closesWithoutMessage(refused));
        RawClient next = connected();
        EXPECT_TRUE(next.call(onHandle(protocol::kGetHardDiskList, 0)).has_value());
    }
}

TEST_F(HandshakeTest, ASessionHelloThatDiffersInByte13IsRefused) {
    const protocol::Hello hello = protocol::makeHello();
    platform::LocalSocket command = RawClient::sendFirstHello(hello);
    protocol::ReceiveBuffer buffer;
    const auto message = readOneMessage(command, buffer);
    ASSERT_TRUE(message);
    const auto announcement = protocol::decodeAnnouncement(*message);
    ASSERT_TRUE(announcement);
    EXPECT_EQ(announcement->sort, protocol::kSortSessionSocket);
    platform::LocalSocket session = platform::LocalSocket::connectTo(protocol::runtimePathOf(announcement->name));
    ASSERT_TRUE(session.valid());
    protocol::Hello changed = hello;
    changed[13] = 1;
    ASSERT_EQ(session.writeAll(changed.data(), changed.size(), kPatience), platform::IoStatus::Done);
    EXPECT_TRUE(closesWithoutMessage(session)) << "no section is announced";
}

TEST_F(HandshakeTest, ClientsThatSayNothingOrHalfAHelloBlockNobody) {
    platform::LocalSocket silent = platform::LocalSocket::connectTo(protocol::runtimePathOf(protocol::kCommandSocketName));
    const protocol::Hello hello = protocol::makeHello();
    platform::LocalSocket half = RawClient::sendFirstHello(std::span<const uint8_t>(hello).first(10));
    ASSERT_TRUE(silent.valid());
    ASSERT_TRUE(half.valid());
    for (int client = 0; client < 3; ++client) {
        RawClient other = connected();
        const auto reply = other.call(onHandle(protocol::kGetHardDiskList, 0));
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, 0u);
    }
}

TEST_F(HandshakeTest, BrokenFramingEndsOnlyThatSession) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"length field below the header", {protocol::kReadFile, 0, 2, 0}},
        {"length field above 4096", {protocol::kReadFile, 0, 0x01, 0x10, 1, 2, 3, 4}},
        {"read request without its count", {protocol::kReadFile, 0, 8, 0, 1, 0, 0, 0}},
        {"text count beyond the message", {protocol::kOpenFileByRName, 0, 10, 0, 200, 0, 0, 0, '/', '1'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RawClient broken = connected();
        ASSERT_TRUE(broken.send(c.bytes));
        EXPECT_FALSE(broken.readMessage()) << "the service disconnects without a reply";
        RawClient other = connected();
        EXPECT_TRUE(other.call(onHandle(protocol::kGetHardDiskList, 0)));
    }
}

}  // namespace
}  // namespace halvextest
