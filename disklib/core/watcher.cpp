#include "watcher.h"

#include <thread>

#include "library_state.h"
#include "platform/debug.h"

namespace drelmo {

namespace {
constexpr auto kArrivalDelay = std::chrono::milliseconds(500);
constexpr auto kPauseStep = std::chrono::milliseconds(20);
}  // namespace

bool Watcher::Start() {
    // Opened before the thread starts, so drives that arrive during the first scan are not missed.
    devices_ = platform::openDeviceWatcher();
    if (!devices_) platform::debugOut("# test # 无法监视设备目录, 不处理设备变化\n");
    return thread_.start([this] { Run(); });
}

bool Watcher::Stop(std::chrono::milliseconds timeout) {
    quit_ = true;
    if (devices_) devices_->stop();
    if (!thread_.started()) return true;
    return thread_.joinFor(timeout);
}

void Watcher::PauseBeforeScan() {
    const auto until = std::chrono::steady_clock::now() + kArrivalDelay;
    while (!quit_ && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(kPauseStep);
}

void Watcher::Run() {
    SetReady(false);
    TheInventory().Scan();
    SetReady(true);
    if (!devices_) return;
    while (!quit_) {
        auto event = devices_->next();
        if (!event || quit_) break;
        if (event->change == platform::DeviceChange::Arrival) {
            PauseBeforeScan();
            if (!quit_) TheInventory().Scan();
        } else {
            TheInventory().RemovalCheck();
        }
    }
}

}  // namespace drelmo
