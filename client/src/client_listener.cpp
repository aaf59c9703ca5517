// The listener of a registration connection: reads notifications, hands each event to the
// callback and the message sink, answers the service with the event as the handlers left it, and
// ends after the final event of a format or copy.
#include <chrono>

#include "client_base.h"
#include "platform/debug.h"
#include "platform/message_sink.h"
#include "protocol/constants.h"

namespace tolvern {
namespace {

using namespace std::chrono_literals;

// How long one read waits before the run flag is looked at again.
constexpr auto kListenStep = 200ms;
constexpr auto kAnswerLimit = 10s;
constexpr int32_t kKeepAliveSeconds = 600;

bool FinalEvent(int32_t code) { return code == TQHD_EVENT_FORMAT_DONE || code == TQHD_EVENT_COPY_DONE; }

}  // namespace

int32_t CClientBase::SetCallback(uint32_t userValue, TQHD_EVENT_CALLBACK callback, std::atomic<int32_t>* keepAlive) {
    m_callback = callback;
    m_userValue = userValue;
    m_keepAlive = keepAlive;
    StartListener();
    return 0;
}

int32_t CClientBase::SetCallbackByRName(uint32_t userValue, TQHD_EVENT_CALLBACK callback,
                                        std::atomic<int32_t>* keepAlive) {
    return SetCallback(userValue, callback, keepAlive);
}

int32_t CClientBase::SetMsg(uint32_t userValue, TQHD_HWND window, uint32_t message, std::atomic<int32_t>* keepAlive) {
    m_window = window;
    m_message = message;
    m_userValue = userValue;
    m_keepAlive = keepAlive;
    StartListener();
    return 0;
}

int32_t CClientBase::SetMsgByRName(uint32_t userValue, TQHD_HWND window, uint32_t message,
                                   std::atomic<int32_t>* keepAlive) {
    return SetMsg(userValue, window, message, keepAlive);
}

void CClientBase::StartListener() {
    if (m_bListenerStarted || (m_callback == nullptr && m_window == nullptr)) return;
    m_bListenerRun = true;
    try {
        m_listener = std::thread([this] { ListenerBody(); });
        m_bListenerStarted = true;
    } catch (...) {
        m_bListenerRun = false;
    }
}

void CClientBase::ListenerBody() {
    bool endedByItself = true;
    while (m_bListenerRun) {
        const platform::ReadResult result = [this] {
            const std::span<uint8_t> room = m_receive.freeSpace();
            return m_socket.readSome(room.data(), room.size(), kListenStep);
        }();
        if (result.status == platform::IoStatus::TimedOut) continue;
        if (result.status != platform::IoStatus::Done) break;
        m_receive.added(result.count);
        if (!HandleNotifications()) break;
        if (m_keepAlive != nullptr) *m_keepAlive = kKeepAliveSeconds;
    }
    if (!m_bListenerRun) endedByItself = false;
    m_bListenerFinished = true;
    // The owning client object releases the connection, once: its keep-alive ends now.
    if (endedByItself && m_keepAlive != nullptr) *m_keepAlive = 0;
}

bool CClientBase::HandleNotifications() {
    for (;;) {
        const protocol::MessageView front = m_receive.front();
        if (front.state == protocol::MessageState::Incomplete) return true;
        if (front.state == protocol::MessageState::Malformed) {
            platform::debugOut("tolvern: malformed message from the service; listener ends\n");
            return false;
        }
        const std::vector<uint8_t> message(front.bytes.begin(), front.bytes.end());
        m_receive.consume(message.size());
        if (message[0] == protocol::kKindNotification) {
            const auto event = protocol::decodeNotification(message);
            if (!event || !Deliver(*event)) return false;
        } else if (message[0] == protocol::kKindReply) {
            if (const auto reply = protocol::decodeReply(message)) OnReply(*reply);
        }
    }
}

bool CClientBase::Deliver(TQHD_EVENT event) {
    CallHandlers(event);
    const auto answer = protocol::encodeNotification(event);
    if (m_socket.writeAll(answer.data(), answer.size(), kAnswerLimit) != platform::IoStatus::Done) return false;
    return !FinalEvent(event.lCode);
}

void CClientBase::CallHandlers(TQHD_EVENT& event) {
    // A handler that throws gets no further handler, but the service still gets its answer:
    // its relay waits for one.
    try {
        if (m_callback != nullptr) m_callback(m_userValue, &event);
        if (m_window != nullptr)
            platform::sendMessage(m_window, m_message, m_userValue, reinterpret_cast<intptr_t>(&event));
    } catch (...) {
        platform::debugOut("tolvern: an event handler threw; the event is answered as it stands\n");
    }
}

}  // namespace tolvern
