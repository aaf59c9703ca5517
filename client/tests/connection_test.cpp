// The connection against a scripted service: what the listener answers, when it ends, and that
// neither a broken service nor a destroyed connection leaves a thread waiting without end.
#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <memory>
#include <stdexcept>
#include <thread>

#include "client_file_op.h"
#include "disk_image_builder.h"
#include "fake_service.h"
#include "platform/message_sink.h"
#include "protocol/constants.h"
#include "protocol/messages.h"
#include "protocol/records.h"
#include "protocol/section_transfer.h"
#include "bounded_wait.h"

namespace clienttest {
namespace {

constexpr int32_t kQuestion = 0x4000003;

// What the test's event handler saw and how it behaves.
struct Handler {
    static inline std::atomic<int> calls{0};
    static inline std::atomic<bool> throws{false};

    static void receive(uint32_t, TQHD_EVENT* event) {
        calls += 1;
        if (event->lValue == kQuestion) event->lValue = 1;
        if (throws) {
            event->lValue = 7;
            throw std::runtime_error("handler failure");
        }
    }
};

// A registered connection with its listener running: the state every listener case starts from.
struct Listening {
    FakeService service;
    std::unique_ptr<tolvern::CClientFileOp> connection = std::make_unique<tolvern::CClientFileOp>();
    std::atomic<int32_t> keepAlive{600};

    // Registers and, with `withCallback`, starts the listener with the test's handler.
    bool start(bool withCallback = true) {
        auto served = std::async(std::launch::async, [this] { return service.registerClient(); });
        if (connection->Connect() != 1 || !served.get()) return false;
        auto subscribed = std::async(std::launch::async, [this] {
            const auto request = service.receive();
            return request.size() == 8 && request[0] == protocol::kRegistIntCallBack && service.reply(0, 0, 0);
        });
        if (connection->RegistIntCallBack(5) != 0 || !subscribed.get()) return false;
        Handler::calls = 0;
        Handler::throws = false;
        if (withCallback) connection->SetCallback(11, &Handler::receive, &keepAlive);
        return true;
    }
    // Sends an event and returns the value of the client's answer; nothing when none came.
    std::optional<int32_t> exchange(int32_t code, int32_t value) {
        if (!service.sendEvent(code, value)) return std::nullopt;
        const auto answer = protocol::decodeNotification(service.receive());
        if (!answer || answer->lCode != code) return std::nullopt;
        return answer->lValue;
    }
};

TEST(ClientConnection, AnswersCarryTheHandlersValueAndTheFinalEventEndsTheListener) {
    Listening listening;
    ASSERT_TRUE(listening.start());
    EXPECT_EQ(listening.exchange(TQHD_EVENT_COPY_PROGRESS, kQuestion), 1);
    EXPECT_EQ(listening.exchange(TQHD_EVENT_COPY_PROGRESS, 0x1000001), 0x1000001);
    EXPECT_EQ(listening.keepAlive, 600) << "each batch of events renews the keep-alive";
    EXPECT_EQ(listening.exchange(TQHD_EVENT_COPY_DONE, 0), 0);
    EXPECT_TRUE(eventually([&] { return listening.connection->listenerFinished(); }));
    EXPECT_EQ(listening.keepAlive, 0) << "the owner's keep-alive releases the connection now";
    listening.service.sendEvent(TQHD_EVENT_COPY_PROGRESS, 1);
    EXPECT_EQ(Handler::calls, 3) << "nothing is delivered after the final event";
}

TEST(ClientConnection, AHandlerThatThrowsStillAnswers) {
    Listening listening;
    ASSERT_TRUE(listening.start());
    Handler::throws = true;
    EXPECT_EQ(listening.exchange(TQHD_EVENT_FORMAT_PROGRESS, 3), 7) << "the event as the handler left it";
    EXPECT_EQ(listening.exchange(TQHD_EVENT_FORMAT_PROGRESS, 4), 7) << "and the listener goes on";
    EXPECT_EQ(Handler::calls, 2);
}

TEST(ClientConnection, AMessageSinkGetsTheEventAndItsAnswerGoesBack) {
    Listening listening;
    ASSERT_TRUE(listening.start(false));
    uint32_t seenMessage = 0;
    uintptr_t seenUser = 0;
    platform::MessageSink sink([&](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        seenMessage = message;
        seenUser = wParam;
        reinterpret_cast<TQHD_EVENT*>(lParam)->lValue = 10;  // cancel a resume question
    });
    listening.connection->SetMsg(21, sink.handle(), 0x401, &listening.keepAlive);
    EXPECT_EQ(listening.exchange(TQHD_EVENT_COPY_PROGRESS, kQuestion), 10);
    EXPECT_EQ(seenMessage, 0x401u);
    EXPECT_EQ(seenUser, 21u);
}

TEST(ClientConnection, AMalformedNotificationEndsTheListenerCleanly) {
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"length field 0", std::vector<uint8_t>(24, 0)},
        {"a notification of 20 bytes", {34, 0, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x31, 0, 0, 0x10}},
        {"a length beyond any message", {34, 0, 0x88, 0x13, 0, 0, 0, 0}},
    };
    for (auto c : cases) {
        Listening listening;
        ASSERT_TRUE(listening.start()) << c.what;
        if (c.bytes[0] == 0) c.bytes[0] = protocol::kKindNotification;
        ASSERT_TRUE(listening.service.send(c.bytes)) << c.what;
        EXPECT_TRUE(eventually([&] { return listening.connection->listenerFinished(); })) << c.what;
        EXPECT_EQ(listening.keepAlive, 0) << c.what;
        EXPECT_EQ(Handler::calls, 0) << c.what;
    }
}

TEST(ClientConnection, DestroyingAConnectionWhoseListenerWaitsReturnsAndHangsUp) {
    Listening listening;
    ASSERT_TRUE(listening.start());
    listening.connection.reset();  // the listener is blocked in a read: no event is coming
    EXPECT_TRUE(listening.service.clientGone());
}

TEST(ClientConnection, ConnectFailsWithoutAServiceOrWithAWrongAnnouncement) {
    {
        nvrtest::TempDir empty("tolvern-no-service");
        setenv("NVRDISK_RUNTIME_DIR", empty.path().c_str(), 1);
        tolvern::CClientFileOp connection;
        EXPECT_EQ(connection.Connect(), 0u) << "no service";
    }
    FakeService service;
    auto served = std::async(std::launch::async, [&] { return service.registerClient(protocol::kSortSection); });
    tolvern::CClientFileOp connection;
    EXPECT_EQ(connection.Connect(), 0u) << "a section announced where the session socket was due";
    EXPECT_TRUE(served.get());
    EXPECT_FALSE(connection.usable());
}

TEST(ClientConnection, BulkRepliesBeyondTheSectionArriveWholeOrFailWhenTheServiceGoes) {
    constexpr size_t kBytes = protocol::kSectionSize + 5000;
    const std::vector<uint8_t> data = nvrtest::patternBytes(3, kBytes);
    for (const bool serviceStays : {true, false}) {
        FakeService service;
        auto served = std::async(std::launch::async, [&] { return service.registerClient(); });
        tolvern::CClientFileOp connection;
        ASSERT_EQ(connection.Connect(), 1u);
        ASSERT_TRUE(served.get());
        auto streamed = std::async(std::launch::async, [&] {
            if (service.receive().size() != 12) return false;
            const std::span<uint8_t> section(service.section().data(), service.section().size());
            protocol::armChunkedTransfer(section);
            if (!service.reply(0, 0, kBytes)) return false;
            if (!serviceStays) {
                service.hangUp();
                return true;
            }
            return protocol::sendChunked(section, data, {}) == 0;
        });
        ASSERT_EQ(connection.ReadFile(1, kBytes), 0);
        std::vector<uint8_t> received(kBytes);
        EXPECT_EQ(connection.SectionRead(received.data(), received.size()), serviceStays);
        EXPECT_TRUE(streamed.get());
        if (serviceStays) EXPECT_TRUE(received == data);
        else EXPECT_FALSE(connection.usable()) << "a broken transfer ends the connection";
    }
}

// A listing larger than the section whose transfer breaks is a failure, not an empty listing.
TEST(ClientConnection, AListingThatDoesNotArriveIsReportedAsNotRead) {
    constexpr uint32_t kRecords = 3800;  // beyond the section: a chunked transfer after the reply
    FakeService service;
    auto served = std::async(std::launch::async, [&] { return service.registerClient(); });
    tolvern::CClientFileOp connection;
    ASSERT_EQ(connection.Connect(), 1u);
    ASSERT_TRUE(served.get());
    auto replied = std::async(std::launch::async, [&] {
        if (service.receive().size() != 8) return false;
        protocol::armChunkedTransfer(std::span<uint8_t>(service.section().data(), service.section().size()));
        const bool sent = service.reply(0, kRecords * protocol::kFindDataSize, kRecords);
        service.hangUp();
        return sent;
    });
    ASSERT_EQ(connection.GetFindFile(7), 0);
    EXPECT_TRUE(replied.get());
    EXPECT_FALSE(connection.ReadListing(connection.reply().extra, connection.reply().value));
    EXPECT_EQ(connection.ListingHead(), nullptr);
}

}  // namespace
}  // namespace clienttest
