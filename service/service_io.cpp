// A session's life: its client connects to the session socket and repeats the hello, gets the
// section, sends requests until it closes the socket, or subscribes and then receives events.
#include "service_io.h"

#include "protocol/names.h"
#include "protocol/section_transfer.h"
#include "shake_hands.h"
#include "subscribers.h"

namespace halvex {

using Clock = std::chrono::steady_clock;

CServiceIO::CServiceIO(const ServiceSettings& settings, CShakeHands* owner, HandleTable& handles, uint64_t serial)
    : CServiceIO(settings, owner, handles, serial, currentTick(), currentThreadNumber()) {}

// Both names carry the same three numbers.
CServiceIO::CServiceIO(const ServiceSettings& settings, CShakeHands* owner, HandleTable& handles, uint64_t serial,
                       int32_t tick, int32_t thread)
    : CServiceBase(settings, owner), handles_(handles), serial_(serial),
      socketName_(protocol::sessionSocketName(static_cast<int32_t>(serial), tick, thread)),
      sectionName_(protocol::sectionName(static_cast<int32_t>(serial), tick, thread)) {}

CServiceIO::~CServiceIO() { Stop(); }

int32_t CServiceIO::Start() {
    listener_ = platform::LocalListener::create(protocol::runtimePathOf(socketName_), settings_.access);
    if (!listener_.valid()) return protocol::kSocketCreate;
    return StartThread() ? 0 : protocol::kThreadFailed;
}

void CServiceIO::RunEndpoint() {
    if (WaitForClient() && ReceiveHello() && OnHello(received_.held()) == 0) {
        received_.consume(protocol::kHelloSize);
        ServeRequests();
    }
    EndSession();
}

// One client only: the socket's name disappears as soon as it connected.
bool CServiceIO::WaitForClient() {
    const auto deadline = Clock::now() + settings_.connectLimit;
    while (!StopRequested() && Clock::now() < deadline) {
        socket_ = listener_.accept(settings_.pollStep);
        if (socket_.valid()) {
            listener_.close();
            return true;
        }
    }
    return false;
}

bool CServiceIO::ReceiveHello() {
    const auto deadline = Clock::now() + settings_.connectLimit;
    while (!StopRequested() && Clock::now() < deadline) {
        const int32_t check = protocol::checkRepeatedHello(received_.held(), *key_);
        if (check != protocol::kIncomplete) return check == 0;
        if (!ReadMore()) return false;
    }
    return false;
}

int32_t CServiceIO::OnHello(std::span<const uint8_t>) {
    if (section_.valid()) return 0;
    platform::AccessRule rule = settings_.access;
    if (settings_.sectionsForPeerOnly) rule = {0600, -1, socket_.peerUser()};
    section_ = platform::SharedSection::create(protocol::runtimePathOf(sectionName_), protocol::kSectionSize, rule);
    if (!section_.valid()) return protocol::kNoSection;
    const auto announcement = protocol::encodeAnnouncement({protocol::kSortSection, sectionName_});
    return WriteMessage(announcement) ? 0 : protocol::kWriteFailed;
}

// False when the client closed the socket or the session is told to stop.
bool CServiceIO::ReadMore() {
    for (;;) {
        if (StopRequested()) return false;
        const auto space = received_.freeSpace();
        const platform::ReadResult result = socket_.readSome(space.data(), space.size(), settings_.pollStep);
        if (result.status == platform::IoStatus::Done) {
            received_.added(result.count);
            return true;
        }
        if (result.status != platform::IoStatus::TimedOut) return false;
    }
}

void CServiceIO::ServeRequests() {
    for (;;) {
        const int32_t result = OnData();
        if (subscribed_) return WaitWhileSubscribed();
        if (result != 0 && result != protocol::kIncomplete) return;  // malformed or unwritable: disconnect
        if (!ReadMore()) return;
    }
}

// The socket now carries notifications only, written and read by the relay; this thread only
// watches for the client's going away.
void CServiceIO::WaitWhileSubscribed() {
    while (!StopRequested()) {
        if (socket_.waitPeerClosed(settings_.pollStep)) return;
        std::lock_guard lock(exchangeMutex_);
        if (ending_) return;
    }
}

bool CServiceIO::WriteMessage(std::span<const uint8_t> bytes) {
    return socket_.writeAll(bytes.data(), bytes.size(), settings_.stallLimit) == platform::IoStatus::Done;
}

protocol::TransferGuard CServiceIO::Guard() {
    return {[this] { return !StopRequested() && socket_.peerOpen(); }, settings_.stallLimit};
}

std::span<uint8_t> CServiceIO::SectionView() const { return {section_.data(), section_.size()}; }

void CServiceIO::Notify(TQHD_EVENT& event) {
    std::lock_guard lock(exchangeMutex_);
    if (!subscribed_ || ending_ || StopRequested()) return;
    if (!WriteMessage(protocol::encodeNotification(event))) {
        ending_ = true;
        return;
    }
    protocol::ReceiveBuffer answer;
    const auto deadline = Clock::now() + settings_.answerLimit;
    while (!StopRequested() && Clock::now() < deadline) {
        const auto space = answer.freeSpace();
        const auto result = socket_.readSome(space.data(), space.size(), settings_.pollStep);
        if (result.status == platform::IoStatus::TimedOut) continue;
        if (result.status != platform::IoStatus::Done) break;
        answer.added(result.count);
        const auto view = answer.front();
        if (view.state == protocol::MessageState::Incomplete) continue;
        if (const auto answered = protocol::decodeNotification(view.bytes)) event.lValue = answered->lValue;
        return;
    }
    ending_ = true;  // closed, broken or never answered: the session ends
}

void CServiceIO::EndSession() {
    Subscribers::instance().remove(this);
    {
        std::lock_guard lock(exchangeMutex_);
        ending_ = true;
        subscribed_ = false;
    }
    for (TQHD_HANDLE handle : handles_.takeAll(serial_)) TQHD_CloseHandle(handle);
    socket_.shutdownBoth();
    section_ = platform::SharedSection();
    listener_.close();
    if (owner_ != nullptr) owner_->OnSessionEnd(serial_);
}

}  // namespace halvex
