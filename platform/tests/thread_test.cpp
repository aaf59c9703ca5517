// Thread mailboxes and message threads, with real threads.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/message_sink.h"
#include "platform/thread.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

// Long enough never to expire on a loaded machine; a test only waits this long when it fails.
constexpr auto kPatience = 30s;

// The messages a thread receives until the quit message, in order.
std::vector<Message> receiveUntilQuit() {
    std::vector<Message> received;
    Message message;
    while (waitMessage(message, kPatience) && message.id != kQuitMessage) received.push_back(message);
    return received;
}

TEST(MailboxTest, QuitPostedToSelfIsPeeked) {
    Message leftover;
    while (peekMessage(leftover)) {
    }
    ASSERT_TRUE(postThreadMessage(currentThreadId(), Message{kQuitMessage, 0, 0}));
    Message message;
    ASSERT_TRUE(peekMessage(message));
    EXPECT_EQ(message.id, kQuitMessage);
    EXPECT_FALSE(peekMessage(message));
}

TEST(MailboxTest, MessagesComeOutOldestFirstWithTheirParameters) {
    const ThreadId self = currentThreadId();
    for (uint32_t i = 1; i <= 3; ++i) ASSERT_TRUE(postThreadMessage(self, Message{0x400 + i, i * 10, -static_cast<intptr_t>(i)}));
    for (uint32_t i = 1; i <= 3; ++i) {
        Message message;
        ASSERT_TRUE(peekMessage(message));
        EXPECT_EQ(message.id, 0x400 + i);
        EXPECT_EQ(message.wParam, i * 10);
        EXPECT_EQ(message.lParam, -static_cast<intptr_t>(i));
    }
}

TEST(MailboxTest, WaitReturnsFalseWhenNothingArrives) {
    Message message;
    EXPECT_FALSE(waitMessage(message, 1ms));
}

TEST(MailboxTest, WaitWakesForAMessageFromAnotherThread) {
    const ThreadId self = currentThreadId();
    std::thread poster([self] { postThreadMessage(self, Message{0x401, 7, 8}); });
    Message message;
    EXPECT_TRUE(waitMessage(message, kPatience));
    EXPECT_EQ(message.wParam, 7u);
    poster.join();
}

TEST(MailboxTest, PostsToUnknownOrEndedThreadsFail) {
    EXPECT_FALSE(postThreadMessage(0, Message{}));
    EXPECT_FALSE(postThreadMessage(~ThreadId{0}, Message{}));
    ThreadId ended = 0;
    std::thread plain([&ended] { ended = currentThreadId(); });
    plain.join();
    EXPECT_NE(ended, 0u);
    EXPECT_FALSE(postThreadMessage(ended, Message{}));
}

TEST(MailboxTest, EveryThreadHasItsOwnId) {
    std::set<ThreadId> ids{currentThreadId()};
    std::vector<std::thread> threads;
    std::vector<ThreadId> seen(4);
    for (size_t i = 0; i < seen.size(); ++i) threads.emplace_back([&seen, i] { seen[i] = currentThreadId(); });
    for (auto& thread : threads) thread.join();
    ids.insert(seen.begin(), seen.end());
    EXPECT_EQ(ids.size(), seen.size() + 1);
    EXPECT_EQ(ids.count(0), 0u);
}

TEST(MessageThreadTest, MessagesPostedRightAfterStartAreNotLost) {
    MessageThread thread;
    std::vector<Message> received;
    ThreadId idInside = 0;
    ASSERT_TRUE(thread.start([&] {
        idInside = currentThreadId();
        received = receiveUntilQuit();
    }));
    for (uint32_t i = 0; i < 100; ++i) ASSERT_TRUE(postThreadMessage(thread.id(), Message{0x500, i, 0}));
    thread.postQuit();
    thread.join();
    EXPECT_EQ(idInside, thread.id());
    ASSERT_EQ(received.size(), 100u);
    for (uint32_t i = 0; i < 100; ++i) EXPECT_EQ(received[i].wParam, i);
}

TEST(MessageThreadTest, JoinForWaitsForTheBody) {
    MessageThread thread;
    EXPECT_FALSE(thread.started());
    ASSERT_TRUE(thread.start([] { receiveUntilQuit(); }));
    EXPECT_TRUE(thread.started());
    EXPECT_FALSE(thread.joinFor(10ms));  // the body only returns after the quit message
    EXPECT_FALSE(thread.finished());
    thread.postQuit();
    EXPECT_TRUE(thread.joinFor(kPatience));
    EXPECT_TRUE(thread.finished());
    EXPECT_FALSE(postThreadMessage(thread.id(), Message{}));  // joined: its mailbox is gone
}

TEST(MessageThreadTest, StartsOnlyOnce) {
    MessageThread thread;
    ASSERT_TRUE(thread.start([] {}));
    EXPECT_FALSE(thread.start([] {}));
    thread.join();
    EXPECT_TRUE(thread.finished());
}

TEST(MessageThreadTest, DestructorJoins) {
    std::atomic<bool> bodyEnded{false};
    {
        MessageThread thread;
        ASSERT_TRUE(thread.start([&] {
            receiveUntilQuit();
            bodyEnded = true;
        }));
        thread.postQuit();
    }
    EXPECT_TRUE(bodyEnded);
}

TEST(MessageThreadTest, ExceptionInTheBodyEndsOnlyTheThread) {
    MessageThread thread;
    ASSERT_TRUE(thread.start([] { throw std::runtime_error("worker failed"); }));
    EXPECT_TRUE(thread.joinFor(kPatience));
    EXPECT_TRUE(thread.finished());
}

TEST(MessageSinkTest, SendReachesTheReceiverSynchronously) {
    std::vector<std::tuple<uint32_t, uintptr_t, intptr_t>> received;
    MessageSink sink([&](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        received.emplace_back(message, wParam, lParam);
    });
    sendMessage(sink.handle(), 0x8001, 42, -5);
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], std::make_tuple(0x8001u, uintptr_t{42}, intptr_t{-5}));
}

TEST(MessageSinkTest, SinksWithoutAFunctionAreSkipped) {
    sendMessage(nullptr, 1, 2, 3);
    TQHD_MSG_SINK empty{nullptr, nullptr};
    sendMessage(&empty, 1, 2, 3);
}

}  // namespace
}  // namespace platform
