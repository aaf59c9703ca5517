#include "mid_client.h"

#include <chrono>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "client_file_op.h"
#include "client_registry.h"
#include "platform/drive.h"

namespace tolvern {
namespace {

// Objects whose keep-alive runs: when the library is unloaded (at the program's exit) their
// countdowns end at once, so their connections close in order rather than mid-exit.
struct KeepAlives {
    std::mutex lock;
    std::unordered_set<CMidClient*> running;
};

KeepAlives& TheKeepAlives() {
    static auto* keepAlives = new KeepAlives;  // outlives static destruction, as the threads may
    return *keepAlives;
}

__attribute__((destructor)) void EndKeepAlives() {
    auto& keepAlives = TheKeepAlives();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (;;) {
        {
            std::lock_guard guard(keepAlives.lock);
            if (keepAlives.running.empty()) return;
            for (CMidClient* client : keepAlives.running) client->keepAliveCountdown() = 0;
        }
        if (std::chrono::steady_clock::now() > deadline) return;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

}  // namespace

bool MayOpenDrivesDirectly() {
    return platform::openDrive(0, platform::Access::Read, platform::kShareRead | platform::kShareWrite) != nullptr;
}

CMidClient::CMidClient() : m_bDirect(MayOpenDrivesDirectly()) {
    if (m_bDirect) return;
    m_connection = std::make_unique<CClientFileOp>();
    m_uConnected = m_connection->Connect();
}

CMidClient::~CMidClient() {
    m_selfRelease = false;
    // The listener is joined first: it may still reset the countdown as it ends.
    m_connection.reset();
    m_keepAliveCountdown = 0;
    // The countdown thread sees 0 within a tenth of a second and ends; when it runs this
    // destructor itself it does not wait for itself.
    if (m_bReleasedByKeepAlive) return;
    for (;;) {
        {
            std::lock_guard guard(TheKeepAlives().lock);
            if (TheKeepAlives().running.count(this) == 0) return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void CMidClient::StartKeepAlive(int32_t seconds) {
    m_keepAliveCountdown = seconds;
    if (m_bKeepAliveStarted) return;
    m_bKeepAliveStarted = true;
    std::lock_guard guard(TheKeepAlives().lock);
    try {
        TheKeepAlives().running.insert(this);
        std::thread([this] { KeepAliveBody(); }).detach();
    } catch (...) {
        TheKeepAlives().running.erase(this);
        m_bKeepAliveStarted = false;
    }
}

void CMidClient::KeepAliveBody() {
    // One second per step, in tenths, so a countdown set to 0 ends the thread at once.
    while (m_keepAliveCountdown > 0) {
        for (int tenth = 0; tenth < 10 && m_keepAliveCountdown > 0; ++tenth)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (m_keepAliveCountdown > 0) m_keepAliveCountdown -= 1;
    }
    const bool release = m_selfRelease.exchange(false);
    if (release) {
        m_bReleasedByKeepAlive = true;
        Forget(this);
        delete this;  // its destructor does not wait for this thread: the flag is still set
    }
    std::lock_guard guard(TheKeepAlives().lock);
    TheKeepAlives().running.erase(this);
}

}  // namespace tolvern
