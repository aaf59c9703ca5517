#include "library_state.h"

#include <atomic>

namespace drelmo {

namespace {

// Created on first use and never destroyed: the library's threads may still reach them while the
// process exits. StopLibrary empties them.
struct Globals {
    nvr::CriticalSection globalLock;
    Inventory inventory;
    HandleRegistry handles;
    std::atomic<bool> ready{false};
};

Globals& TheGlobals() {
    static Globals* globals = new Globals();
    return *globals;
}

}  // namespace

nvr::CriticalSection& GlobalLock() { return TheGlobals().globalLock; }
Inventory& TheInventory() { return TheGlobals().inventory; }
HandleRegistry& Handles() { return TheGlobals().handles; }

void SetReady(bool ready) {
    TheGlobals().ready.store(ready, std::memory_order_release);
    TheGlobals().ready.notify_all();
}
bool IsReady() { return TheGlobals().ready.load(std::memory_order_acquire); }

// Wakes as soon as the first scan has finished, so a short-lived program does not pay a polling
// step on every start.
void WaitReady() {
    while (!IsReady()) TheGlobals().ready.wait(false, std::memory_order_acquire);
}

}  // namespace drelmo
