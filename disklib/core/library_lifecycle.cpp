// Starting the library at load and stopping it at unload.
#include <chrono>

#include "library_state.h"
#include "watcher.h"

namespace drelmo {

namespace {
Watcher* theWatcher = nullptr;
constexpr auto kStopWait = std::chrono::milliseconds(5000);
}  // namespace

void StartLibrary() {
    if (theWatcher != nullptr) return;
    theWatcher = new Watcher();
    if (!theWatcher->Start()) {
        // Without a watcher thread the library still serves: it scans once here and has no
        // device-change handling.
        TheInventory().Scan();
        SetReady(true);
    }
}

void StopLibrary() {
    if (theWatcher == nullptr) return;
    if (!theWatcher->Stop(kStopWait)) {
        theWatcher = nullptr;  // still running: leave it and the tables it may be using alone
        return;
    }
    delete theWatcher;
    theWatcher = nullptr;
    Handles().Clear();
    TheInventory().Clear();
}

}  // namespace drelmo
