// The endpoint thread's start and stop, shared by the command server and the sessions.
#include "service_base.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <ctime>

namespace halvex {

CServiceBase::CServiceBase(const ServiceSettings& settings, CShakeHands* owner) : settings_(settings), owner_(owner) {}

CServiceBase::~CServiceBase() {
    RequestStop();
    if (!thread_.joinable()) return;
    if (thread_.get_id() == std::this_thread::get_id()) {
        thread_.detach();  // the last reference went away on the endpoint's own thread
    } else {
        thread_.join();
    }
}

void CServiceBase::Stop() {
    RequestStop();
    Join();
}

void CServiceBase::Join() {
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

int CServiceBase::SetKey(std::span<const uint8_t> hello) {
    if (hello.data() == nullptr || hello.size() < protocol::kHelloSize) return -1;
    protocol::Hello key{};
    std::copy_n(hello.begin(), key.size(), key.begin());
    key_ = key;
    return 0;
}

bool CServiceBase::StartThread() {
    try {
        thread_ = std::thread([this] { RunEndpoint(); });
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

int32_t currentTick() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t milliseconds = static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1000000;
    return static_cast<int32_t>(static_cast<uint32_t>(milliseconds));
}

int32_t currentThreadNumber() { return static_cast<int32_t>(::syscall(SYS_gettid)); }

}  // namespace halvex
