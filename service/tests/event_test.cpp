// Events of disk copies relayed to subscribed clients: every subscriber gets every event, an
// answer's value flows back into the copy, and a subscriber that vanishes costs only itself.
#include <functional>
#include <thread>

#include "service_fixture.h"

namespace halvextest {
namespace {

using EventTest = ServiceTest;

struct Event {
    int32_t code = 0;
    int32_t value = 0;
    bool operator==(const Event&) const = default;
};

std::vector<Event> plainCopyEvents() {
    return {{TQHD_EVENT_COPY_PROGRESS, 1}, {TQHD_EVENT_COPY_PROGRESS, 0x1000001}, {TQHD_EVENT_COPY_DONE, TQHD_OK}};
}

RawClient subscribed(const std::string& disk) {
    RawClient client;
    EXPECT_TRUE(client.connect());
    const auto reply = client.call(byName(protocol::kRegistIntCallBackByRName, disk));
    EXPECT_TRUE(reply);
    EXPECT_EQ(reply ? reply->value : 1, 0u);
    return client;
}

// Answers notifications until the copy's last event; `answer` may change the value.
std::vector<Event> answerUntilDone(RawClient& client, std::function<int32_t(const Event&)> answer = {}) {
    std::vector<Event> events;
    for (;;) {
        const auto message = client.readMessage();
        const auto event = message ? protocol::decodeNotification(*message) : std::nullopt;
        if (!event) return events;
        events.push_back({event->lCode, event->lValue});
        TQHD_EVENT answered = *event;
        if (answer) answered.lValue = answer(events.back());
        if (!client.send(protocol::encodeNotification(answered))) return events;
        if (event->lCode == TQHD_EVENT_COPY_DONE) return events;
    }
}

protocol::Reply startCopy(int source, int target) {
    RawClient client;
    EXPECT_TRUE(client.connect());
    const auto reply = client.call(protocol::makeDiskCopyRequest(source, target));
    EXPECT_TRUE(reply);
    return reply.value_or(protocol::Reply{1, 0, 0});
}

TEST_F(EventTest, TwoSubscribersOfDifferentDisksReceiveTheEventsOfBoth) {
    RawClient first = subscribed("/2/");
    RawClient second = subscribed("/4/");
    for (int source : {2, 4}) {
        SCOPED_TRACE(source);
        std::vector<Event> firstEvents, secondEvents;
        std::thread firstListener([&] { firstEvents = answerUntilDone(first); });
        std::thread secondListener([&] { secondEvents = answerUntilDone(second); });
        const protocol::Reply started = startCopy(source, source + 1);
        EXPECT_EQ(started.status, 0u);
        EXPECT_NE(started.value, 0u);
        firstListener.join();
        secondListener.join();
        EXPECT_EQ(firstEvents, plainCopyEvents());
        EXPECT_EQ(secondEvents, plainCopyEvents());
    }
}

TEST_F(EventTest, TheAnswerToTheResumeQuestionReachesTheCopy) {
    RawClient client = subscribed("/7/");
    std::vector<Event> events;
    std::thread listener([&] {
        events = answerUntilDone(client, [](const Event& event) { return event.value == 0x4000001 ? 10 : event.value; });
    });
    EXPECT_EQ(startCopy(kResumeSource, kResumeSource + 1).status, 0u);
    listener.join();
    const std::vector<Event> cancelled = {{TQHD_EVENT_COPY_PROGRESS, 0x4000001}, {TQHD_EVENT_COPY_DONE, TQHD_E_STOPPED}};
    EXPECT_EQ(events, cancelled) << "answer 10 cancels the copy before any chunk";
}

TEST_F(EventTest, ASubscriberThatVanishesEndsOnlyItsOwnSession) {
    struct Case {
        const char* what;
        int source;
        bool readsFirst;
    };
    for (const Case& c : {Case{"gone before the first event", 10, false}, Case{"gone before answering", 12, true}}) {
        SCOPED_TRACE(c.what);
        const std::string disk = "/" + std::to_string(c.source) + "/";
        RawClient vanishing = subscribed(disk);
        RawClient staying = subscribed(disk);
        if (!c.readsFirst) vanishing.close();
        std::vector<Event> events;
        std::thread listener([&] { events = answerUntilDone(staying); });
        EXPECT_EQ(startCopy(c.source, c.source + 1).status, 0u);
        if (c.readsFirst) {
            ASSERT_TRUE(vanishing.readMessage());
            vanishing.close();
        }
        listener.join();
        EXPECT_EQ(events, plainCopyEvents());
        RawClient after = connected();
        EXPECT_TRUE(after.call(onHandle(protocol::kGetHardDiskList, 0)));
    }
}

}  // namespace
}  // namespace halvextest
