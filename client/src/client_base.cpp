#include "client_base.h"

#include <cstring>

#include "platform/runtime_dir.h"
#include "platform/thread.h"
#include "protocol/constants.h"
#include "protocol/names.h"
#include "protocol/section_transfer.h"
#include "trace.h"

namespace tolvern {
namespace {

using namespace std::chrono_literals;

// Bounds on waits for the service: a registration step, a reply, a write the service does not take.
constexpr auto kRegistrationLimit = 10s;
constexpr auto kReplyLimit = 60s;
constexpr auto kWriteLimit = 10s;
// The session socket exists before its name is announced; it must take the connection this soon.
constexpr auto kSessionOpenLimit = 100ms;
constexpr auto kReplySpin = std::chrono::microseconds(200);

}  // namespace

CClientBase::CClientBase() : m_hello(protocol::makeHello()) {}

CClientBase::~CClientBase() {
    if (m_listener.joinable()) {
        m_bListenerRun = false;
        // Wakes a listener blocked in a read; the service sees the session end.
        m_socket.shutdownBoth();
        m_listener.join();
    }
}

uint32_t CClientBase::Connect() {
    Trace("at %d，步骤测试 01, 准备连接服务器\n");
    if (m_socket.valid()) return 0;
    return Register();
}

uint32_t CClientBase::Register() {
    Trace("at %d，步骤测试 02, 开始连接服务器\n");
    const std::string commandPath = protocol::runtimePathOf(protocol::kCommandSocketName);
    m_socket = platform::LocalSocket::connectTo(commandPath);
    if (!m_socket.valid()) return 0;  // the service is not running
    Trace("at %d，步骤测试 04, 已连接服务器，准备发送注册包\n");
    if (Send(m_hello) != 0) return 0;
    Trace("at %d，步骤测试 06, 开始读取返馈信息\n");
    Trace("at %d，步骤测试 10, 准备接收新的管道名称了\n");
    if (ReceiveAnnouncement(ReceiveMode::SessionName) != 0) {
        CloseSocket();
        return 0;
    }
    ResetReceiveState();
    if (ReceiveAnnouncement(ReceiveMode::SectionName) != 0) {
        CloseSocket();
        return 0;
    }
    return 1;
}

int32_t CClientBase::ReadIntoBuffer(std::chrono::milliseconds timeout) {
    const std::span<uint8_t> room = m_receive.freeSpace();
    if (room.empty()) return protocol::kReadFailed;  // a full buffer without a whole message
    // Most replies come within tens of microseconds: looking again for a short while saves the
    // wake-up of a blocked read on every request, unless this thread would keep the service from
    // the only processor they may share.
    const auto spin = platform::processorsForThisThread() > 1 ? kReplySpin : std::chrono::microseconds(0);
    const auto spinEnd = std::chrono::steady_clock::now() + spin;
    platform::ReadResult result = m_socket.readSome(room.data(), room.size(), 0ms);
    while (result.status == platform::IoStatus::TimedOut && std::chrono::steady_clock::now() < spinEnd)
        result = m_socket.readSome(room.data(), room.size(), 0ms);
    if (result.status == platform::IoStatus::TimedOut) result = m_socket.readSome(room.data(), room.size(), timeout);
    if (result.status != platform::IoStatus::Done) return protocol::kReadFailed;
    m_receive.added(result.count);
    return 0;
}

int32_t CClientBase::ReceiveAnnouncement(ReceiveMode mode) {
    for (;;) {
        if (ReadIntoBuffer(kRegistrationLimit) != 0) {
            ResetReceiveState();
            return protocol::kReadFailed;
        }
        Trace("at %d，步骤测试 12, 收到了数据，准备分析\n");
        const protocol::MessageView front = m_receive.front();
        if (front.state == protocol::MessageState::Incomplete) continue;
        if (front.state == protocol::MessageState::Malformed) return protocol::kWrongAnnouncement;
        const size_t length = front.bytes.size();
        const int32_t result = HandleAnnouncement(mode, front.bytes);
        if (result == 0) m_receive.consume(length);
        return result;
    }
}

int32_t CClientBase::HandleAnnouncement(ReceiveMode mode, std::span<const uint8_t> message) {
    const auto announcement = protocol::decodeAnnouncement(message);
    if (!announcement) return protocol::kWrongAnnouncement;
    if (mode == ReceiveMode::SessionName && announcement->sort == protocol::kSortSessionSocket)
        return OpenSessionSocket(announcement->name);
    if (mode == ReceiveMode::SectionName && announcement->sort == protocol::kSortSection)
        return MapSection(announcement->name);
    return protocol::kWrongAnnouncement;
}

int32_t CClientBase::OpenSessionSocket(const std::string& wireName) {
    m_socket.close();
    m_sessionSocketName = wireName;
    Trace("at %d，步骤测试 13, 收到了新的管道名称，旧管道已关闭，新管道开始连接=%s\n", wireName.c_str());
    const std::string path = protocol::runtimePathOf(wireName);
    if (path.empty()) return protocol::kWrongAnnouncement;
    Trace("at %d，步骤测试 14, 新管道已连接，正准备打开，服务端应该有客户端已连接的打印\n");
    const auto deadline = std::chrono::steady_clock::now() + kSessionOpenLimit;
    do {
        std::this_thread::sleep_for(2ms);
        m_socket = platform::LocalSocket::connectTo(path);
    } while (!m_socket.valid() && std::chrono::steady_clock::now() < deadline);
    if (!m_socket.valid()) return protocol::kNoSessionSocket;
    Trace("at %d，步骤测试 15, 新管道已打开，准备发送注册包\n");
    const int32_t sent = Send(m_hello);
    Trace("at %d，步骤测试 16, 通过新的管理发送注册包结束\n");
    return sent;
}

int32_t CClientBase::MapSection(const std::string& wireName) {
    m_sectionName = wireName;
    Trace("at %d，步骤测试 19, 通过新管道收到了共享内存的名称=%s\n", wireName.c_str());
    const std::string path = protocol::runtimePathOf(wireName);
    if (path.empty()) return protocol::kSectionFailed;
    m_section = platform::SharedSection::open(path, protocol::kSectionSize);
    return m_section.valid() ? 0 : protocol::kSectionFailed;
}

void CClientBase::CloseSocket() {
    m_socket.close();
    m_receive.clear();
}

void CClientBase::ResetReceiveState() { m_receive.clear(); }

int32_t CClientBase::Send(std::span<const uint8_t> message) {
    if (!m_socket.valid()) return protocol::kWriteFailed;
    const platform::IoStatus status = m_socket.writeAll(message.data(), message.size(), kWriteLimit);
    if (status == platform::IoStatus::Done) return 0;
    CloseSocket();
    return status == platform::IoStatus::Closed ? protocol::kSocketClosing : protocol::kWriteFailed;
}

int32_t CClientBase::WaitForReply() {
    m_bReplyReceived = false;
    if (m_listener.joinable() && !m_bListenerFinished) return WaitForListenerReply();
    if (!m_socket.valid()) return protocol::kReadFailed;
    for (;;) {
        const protocol::MessageView front = m_receive.front();
        if (front.state == protocol::MessageState::Malformed) {
            CloseSocket();
            return protocol::kNotAReply;
        }
        if (front.state == protocol::MessageState::Complete) {
            const auto reply = protocol::decodeReply(front.bytes);
            m_receive.consume(front.bytes.size());
            if (!reply) return protocol::kNotAReply;
            m_reply = *reply;
            m_bReplyReceived = true;
            return static_cast<int32_t>(m_reply.status);
        }
        if (ReadIntoBuffer(kReplyLimit) != 0) {
            CloseSocket();
            return protocol::kReadFailed;
        }
    }
}

int32_t CClientBase::WaitForListenerReply() {
    const auto deadline = std::chrono::steady_clock::now() + kReplyLimit;
    while (!m_bListenerReply.exchange(false)) {
        if (m_bListenerFinished || std::chrono::steady_clock::now() > deadline) return protocol::kReadFailed;
        std::this_thread::sleep_for(1ms);
    }
    m_reply = m_listenerReply;
    m_bReplyReceived = true;
    return static_cast<int32_t>(m_reply.status);
}

void CClientBase::OnReply(const protocol::Reply& reply) {
    m_listenerReply = reply;
    m_bListenerReply = true;
}

bool CClientBase::SectionRead(void* buffer, uint64_t count) {
    if (buffer == nullptr || count == 0 || !m_section.valid()) return count == 0;
    // One piece: copied out and left as it is. The service overwrites it before the next reply,
    // and the bytes are this session's own, so clearing them would only cost a second pass.
    if (count <= m_section.size()) {
        std::memcpy(buffer, m_section.data(), count);
        return true;
    }
    const std::span<uint8_t> section(m_section.data(), m_section.size());
    protocol::TransferGuard guard;
    guard.peerAlive = [this] { return m_socket.peerOpen(); };
    const int32_t result =
        protocol::receiveSectionData(section, std::span<uint8_t>(static_cast<uint8_t*>(buffer), count), guard);
    if (result != 0) CloseSocket();  // the stream is out of step with the service now
    return result == 0;
}

void CClientBase::SectionWrite(const void* buffer, uint64_t count) {
    if (buffer == nullptr || !m_section.valid() || count > m_section.size()) return;
    protocol::placeInSection(std::span<uint8_t>(m_section.data(), m_section.size()),
                             std::span<const uint8_t>(static_cast<const uint8_t*>(buffer), count));
}

}  // namespace tolvern
