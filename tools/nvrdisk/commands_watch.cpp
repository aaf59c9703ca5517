// `nvrdisk watch`: prints drives as they arrive and leave until Ctrl-C. The library keeps its
// lists current by itself; this polls them twice a second and prints the differences.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <iostream>
#include <map>
#include <thread>

#include "commands.h"
#include "device_directory_option.h"
#include "format.h"
#include "inventory.h"

namespace nvrdisk {
namespace {

volatile std::sig_atomic_t stopRequested = 0;

void requestStop(int) { stopRequested = 1; }

void installStopHandlers() {
    struct sigaction action {};
    action.sa_handler = requestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

// Drive number -> what is on it, e.g. NVR disk "SAMPLE-NVR-01", group 0.
using Snapshot = std::map<int32_t, std::string>;

Snapshot takeSnapshot() {
    const Inventory inventory = readInventory();
    Snapshot snapshot;
    for (const NvrDisk& disk : inventory.nvrDisks)
        snapshot[disk.info.hdindex] = "NVR disk \"" + disk.name + "\", group " + std::to_string(disk.info.lGroup);
    for (const TQHD_DISK_INFO& info : inventory.otherDrives)
        snapshot[info.hdindex] = "other drive, " + humanSize(static_cast<uint64_t>(std::max(info.lSize, 0)) << 20);
    return snapshot;
}

void printDifferences(const Snapshot& before, const Snapshot& after) {
    for (const auto& [drive, description] : before) {
        const auto now = after.find(drive);
        if (now == after.end() || now->second != description) std::cout << "- drive " << drive << "\n";
    }
    for (const auto& [drive, description] : after) {
        const auto earlier = before.find(drive);
        if (earlier == before.end() || earlier->second != description)
            std::cout << "+ drive " << drive << ": " << description << "\n";
    }
    std::cout.flush();
}

// Sleeps about `total`, waking early when a stop was requested.
void pause(std::chrono::milliseconds total) {
    constexpr auto step = std::chrono::milliseconds(50);
    for (auto slept = std::chrono::milliseconds(0); slept < total && !stopRequested; slept += step)
        std::this_thread::sleep_for(step);
}

}  // namespace

void watchDrives() {
    installStopHandlers();
    std::cout << "Watching " << currentDeviceDirectory() << " for drives; Ctrl-C stops.\n";
    Snapshot shown;
    while (!stopRequested) {
        Snapshot current = takeSnapshot();
        printDifferences(shown, current);
        shown = std::move(current);
        pause(std::chrono::milliseconds(500));
    }
}

}  // namespace nvrdisk
