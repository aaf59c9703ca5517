// The watcher thread: runs the first scan, sets the ready flag, then keeps the inventory current
// as drives arrive (a scan after 500 ms) and go away (a removal check).
#pragma once

#include <atomic>
#include <chrono>
#include <memory>

#include "platform/device_watcher.h"
#include "platform/thread.h"

namespace drelmo {

class Watcher {
public:
    // Starts the thread; false when it cannot be created (the caller then scans itself).
    bool Start();
    // Asks the thread to end and waits up to `timeout`; true when it ended.
    bool Stop(std::chrono::milliseconds timeout);

private:
    void Run();
    void PauseBeforeScan();

    std::unique_ptr<platform::DeviceWatcher> devices_;
    platform::MessageThread thread_;
    std::atomic<bool> quit_{false};
};

}  // namespace drelmo
