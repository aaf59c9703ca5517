// CServiceBase: one socket endpoint with its own thread; the command server and every session
// derive from it.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <thread>

#include "protocol/messages.h"
#include "protocol/receive_buffer.h"
#include "service_settings.h"

namespace halvex {

class CShakeHands;

class CServiceBase {
public:
    CServiceBase(const ServiceSettings& settings, CShakeHands* owner);
    virtual ~CServiceBase();
    CServiceBase(const CServiceBase&) = delete;
    CServiceBase& operator=(const CServiceBase&) = delete;

    // Asks the endpoint thread to end and waits for it (not when called on that thread).
    virtual void Stop();
    // Creates the endpoint's socket and starts its thread; 0 or a transport code.
    virtual int32_t Start() = 0;
    // Acts on an accepted hello.
    virtual int32_t OnHello(std::span<const uint8_t> hello) = 0;
    // Processes the received bytes after the hello: 0, kIncomplete, or a code that ends the connection.
    virtual int32_t OnData() = 0;
    // Keeps the accepted hello as the key the session socket's hello must equal; -1 without bytes.
    int SetKey(std::span<const uint8_t> hello);
    // The owner's hook for a session whose thread ends.
    virtual void OnSessionEnd(uint64_t serial) {}

    // Sets the stop flag only; blocked waits notice it within one poll step.
    void RequestStop() { stopRequested_ = true; }
    // Waits for the endpoint thread when it was started.
    void Join();

protected:
    bool StartThread();
    virtual void RunEndpoint() = 0;
    bool StopRequested() const { return stopRequested_; }

    const ServiceSettings& settings_;
    CShakeHands* owner_;
    std::optional<protocol::Hello> key_;
    protocol::ReceiveBuffer received_;

private:
    std::atomic<bool> stopRequested_{false};
    std::thread thread_;
};

// The numbers of a per-connection name: milliseconds since the system started, and the id of
// the calling thread, each cut to 32 bits.
int32_t currentTick();
int32_t currentThreadNumber();

}  // namespace halvex
