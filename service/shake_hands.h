// CShakeHands: the command socket server. It takes hellos from new clients, makes a session for
// each accepted one and answers with the session socket's name. Connections that have not said
// hello are watched together, each with its own deadline, so a silent client blocks nobody.
#pragma once

#include <map>
#include <memory>
#include <vector>

#include "handle_table.h"
#include "nvr/cautocri.h"
#include "platform/local_socket.h"
#include "service_base.h"

namespace halvex {

class CServiceIO;

class CShakeHands final : public CServiceBase {
public:
    explicit CShakeHands(const ServiceSettings& settings);
    ~CShakeHands() override;

    // Creates the command socket and its thread: 0, kSocketCreate or kThreadFailed.
    int32_t Start() override;
    // Stops accepting, then stops and deletes every session.
    void Stop() override;
    // Accepts a client: makes and starts its session. 0 or kBadHello / a start failure.
    int32_t OnHello(std::span<const uint8_t> hello) override;
    int32_t OnData() override { return 0; }
    // Called on an ending session's thread: the session moves to the list of finished ones,
    // whose threads the command thread joins.
    void OnSessionEnd(uint64_t serial) override;

    size_t SessionCount();
    HandleTable& Handles() { return handles_; }

protected:
    void RunEndpoint() override;

private:
    struct Pending;
    void AcceptNew(std::vector<Pending>& pending);
    bool Advance(Pending& connection);
    void ReapFinished();
    std::vector<std::shared_ptr<CServiceIO>> TakeAllSessions();

    nvr::CriticalSection serviceLock_;
    std::map<uint64_t, std::shared_ptr<CServiceIO>> sessions_;
    std::vector<std::shared_ptr<CServiceIO>> finished_;
    HandleTable handles_;
    platform::LocalListener listener_;
    std::string announcedName_;  // the name OnHello answers with
    uint64_t nextSerial_ = 1;
    bool stopped_ = false;
};

}  // namespace halvex
