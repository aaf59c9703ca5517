// The command server's thread: accept, check hellos, start sessions, join finished ones.
#include "shake_hands.h"

#include "protocol/names.h"
#include "service_io.h"

namespace halvex {
namespace {

using Clock = std::chrono::steady_clock;

// Connections still saying hello; beyond this many the newest are refused.
constexpr size_t kPendingLimit = 256;

}  // namespace

struct CShakeHands::Pending {
    platform::LocalSocket socket;
    protocol::ReceiveBuffer received;
    Clock::time_point deadline;
};

CShakeHands::CShakeHands(const ServiceSettings& settings) : CServiceBase(settings, nullptr) {}

CShakeHands::~CShakeHands() { Stop(); }

int32_t CShakeHands::Start() {
    listener_ = platform::LocalListener::create(protocol::runtimePathOf(protocol::kCommandSocketName), settings_.access);
    if (!listener_.valid()) return protocol::kSocketCreate;
    return StartThread() ? 0 : protocol::kThreadFailed;
}

void CShakeHands::RunEndpoint() {
    std::vector<Pending> pending;
    while (!StopRequested()) {
        platform::ReadinessSet readiness;
        readiness.add(listener_);
        for (const Pending& connection : pending) readiness.add(connection.socket);
        const std::vector<bool> ready = readiness.wait(settings_.pollStep);
        for (size_t index = pending.size(); index-- > 0;) {
            const bool keep = (!ready[index + 1] || Advance(pending[index])) && Clock::now() < pending[index].deadline;
            if (!keep) pending.erase(pending.begin() + static_cast<long>(index));
        }
        if (ready[0]) AcceptNew(pending);
        ReapFinished();
    }
    listener_.close();
}

void CShakeHands::AcceptNew(std::vector<Pending>& pending) {
    for (platform::LocalSocket socket = listener_.accept(std::chrono::milliseconds(0)); socket.valid();
         socket = listener_.accept(std::chrono::milliseconds(0))) {
        if (pending.size() >= kPendingLimit) continue;  // dropped: closing tells the client
        pending.push_back({std::move(socket), {}, Clock::now() + settings_.helloLimit});
    }
}

// Reads what arrived; false when the connection is done with (answered, refused or closed).
bool CShakeHands::Advance(Pending& connection) {
    const auto space = connection.received.freeSpace();
    const auto result = connection.socket.readSome(space.data(), space.size(), std::chrono::milliseconds(0));
    if (result.status == platform::IoStatus::TimedOut) return true;
    if (result.status != platform::IoStatus::Done) return false;
    connection.received.added(result.count);
    const auto held = connection.received.held();
    const int32_t check = protocol::checkFirstHello(held);
    if (check == protocol::kIncomplete) return true;
    if (check != 0 || OnHello(held) != 0) return false;  // refused: the connection is closed
    const auto announcement = protocol::encodeAnnouncement({protocol::kSortSessionSocket, announcedName_});
    connection.socket.writeAll(announcement.data(), announcement.size(), settings_.stallLimit);
    return false;  // the client reads the announcement, then uses its session socket
}

int32_t CShakeHands::OnHello(std::span<const uint8_t> hello) {
    nvr::CAutoCri lock(serviceLock_);
    if (stopped_) return protocol::kBadHello;
    auto session = std::make_shared<CServiceFileOp>(settings_, this, handles_, nextSerial_++);
    session->SetKey(hello.first(protocol::kHelloSize));
    const int32_t started = session->Start();
    if (started != 0) return started;
    announcedName_ = session->SocketName();
    sessions_[session->Serial()] = std::move(session);
    return 0;
}

void CShakeHands::OnSessionEnd(uint64_t serial) {
    nvr::CAutoCri lock(serviceLock_);
    const auto found = sessions_.find(serial);
    if (found == sessions_.end()) return;
    finished_.push_back(std::move(found->second));
    sessions_.erase(found);
}

void CShakeHands::ReapFinished() {
    std::vector<std::shared_ptr<CServiceIO>> finished;
    {
        nvr::CAutoCri lock(serviceLock_);
        finished.swap(finished_);
    }
    for (const auto& session : finished) session->Join();
}

std::vector<std::shared_ptr<CServiceIO>> CShakeHands::TakeAllSessions() {
    nvr::CAutoCri lock(serviceLock_);
    stopped_ = true;
    std::vector<std::shared_ptr<CServiceIO>> all;
    for (auto& [serial, session] : sessions_) all.push_back(session);
    return all;
}

void CShakeHands::Stop() {
    CServiceBase::Stop();  // no new sessions from here on
    const auto sessions = TakeAllSessions();
    for (const auto& session : sessions) session->RequestStop();
    for (const auto& session : sessions) session->Join();
    ReapFinished();
    nvr::CAutoCri lock(serviceLock_);
    sessions_.clear();
}

size_t CShakeHands::SessionCount() {
    nvr::CAutoCri lock(serviceLock_);
    return sessions_.size();
}

}  // namespace halvex
