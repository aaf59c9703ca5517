// The service connection: registration on the command socket, the session socket and the shared
// section, request and reply, section transfers, and the listener thread that delivers events.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>
#include <thread>

#include "platform/local_socket.h"
#include "platform/shared_section.h"
#include "protocol/messages.h"
#include "protocol/receive_buffer.h"
#include "tqhd_types.h"

namespace tolvern {

class CClientBase {
public:
    CClientBase();
    // Stops and joins the listener (waking a blocked read), then unmaps and closes.
    virtual ~CClientBase();
    CClientBase(const CClientBase&) = delete;
    CClientBase& operator=(const CClientBase&) = delete;

    // 1 when the connection is ready, 0 otherwise.
    virtual uint32_t Connect();

    // Writes one message; 0, or a transport code (the connection is then closed for good).
    int32_t Send(std::span<const uint8_t> message);
    // Waits for the reply to the request just sent; its status, or a transport code.
    int32_t WaitForReply();
    bool replied() const { return m_bReplyReceived; }
    const protocol::Reply& reply() const { return m_reply; }
    // False once a send or read failed: every later request fails the same way.
    bool usable() const { return m_socket.valid(); }
    // Closes a connection whose service answered out of turn: what it sends next cannot be read.
    void Abandon() { CloseSocket(); }

    bool sectionMapped() const { return m_section.valid(); }
    // Reads n bytes the service placed in the section (a chunked transfer beyond its size).
    // False when the transfer broke off.
    bool SectionRead(void* buffer, uint64_t count);
    // Places n bytes (at most the section's size) at the start of the section.
    void SectionWrite(const void* buffer, uint64_t count);
    void ResetReceiveState();

    // Registration targets; each starts the listener once. 0.
    virtual int32_t SetCallback(uint32_t userValue, TQHD_EVENT_CALLBACK callback, std::atomic<int32_t>* keepAlive);
    virtual int32_t SetCallbackByRName(uint32_t userValue, TQHD_EVENT_CALLBACK callback,
                                       std::atomic<int32_t>* keepAlive);
    virtual int32_t SetMsg(uint32_t userValue, TQHD_HWND window, uint32_t message, std::atomic<int32_t>* keepAlive);
    virtual int32_t SetMsgByRName(uint32_t userValue, TQHD_HWND window, uint32_t message,
                                  std::atomic<int32_t>* keepAlive);

    bool listenerFinished() const { return m_bListenerFinished; }

protected:
    // Takes a reply the listener read while a request waits for it.
    void OnReply(const protocol::Reply& reply);

private:
    enum class ReceiveMode { SessionName, SectionName };
    uint32_t Register();
    int32_t ReceiveAnnouncement(ReceiveMode mode);
    int32_t HandleAnnouncement(ReceiveMode mode, std::span<const uint8_t> message);
    int32_t OpenSessionSocket(const std::string& wireName);
    int32_t MapSection(const std::string& wireName);
    int32_t ReadIntoBuffer(std::chrono::milliseconds timeout);
    int32_t WaitForListenerReply();
    void CloseSocket();

    void StartListener();
    void ListenerBody();
    // Handles the messages held; false when the listener must stop.
    bool HandleNotifications();
    // Delivers one event and answers the service; false when the listener must stop.
    bool Deliver(TQHD_EVENT event);
    void CallHandlers(TQHD_EVENT& event);

    platform::LocalSocket m_socket;
    platform::SharedSection m_section;
    protocol::ReceiveBuffer m_receive;
    protocol::Hello m_hello;
    std::string m_sessionSocketName;
    std::string m_sectionName;

    protocol::Reply m_reply;
    std::atomic<bool> m_bReplyReceived{false};
    std::atomic<bool> m_bListenerReply{false};
    protocol::Reply m_listenerReply;

    std::thread m_listener;
    std::atomic<bool> m_bListenerRun{false};
    std::atomic<bool> m_bListenerFinished{false};
    bool m_bListenerStarted = false;
    TQHD_EVENT_CALLBACK m_callback = nullptr;
    uint32_t m_userValue = 0;
    TQHD_HWND m_window = nullptr;
    uint32_t m_message = 0;
    std::atomic<int32_t>* m_keepAlive = nullptr;
};

}  // namespace tolvern
