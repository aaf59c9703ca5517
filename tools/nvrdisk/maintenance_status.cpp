#include "maintenance_status.h"

#include <csignal>
#include <cstdio>
#include <utility>

#include "command_error.h"
#include "format.h"

namespace nvrdisk {

namespace {

std::atomic<WorkerWatch*> currentWatch{nullptr};
volatile std::sig_atomic_t interruptSeen = 0;

void onInterrupt(int) { interruptSeen = 1; }

}  // namespace

WorkerWatch::WorkerWatch(TQHDC_HANDLE disk, int32_t doneCode) : disk_(disk), doneCode_(doneCode) {
    currentWatch = this;
    const int32_t registered = TQHDC_RegistIntCallBack(disk_, 1, &WorkerWatch::receive);
    if (registered != TQHD_OK) throw CommandError("cannot follow the disk's progress", registered);
}

WorkerWatch::~WorkerWatch() { currentWatch = nullptr; }

void WorkerWatch::receive(uint32_t, TQHD_EVENT* event) {
    if (WorkerWatch* watch = currentWatch.load()) watch->record(event);
}

void WorkerWatch::record(TQHD_EVENT* event) {
    if (event->lCode == doneCode_) {
        result_ = event->lValue;
        done_ = true;
    } else if (answer) {
        event->lValue = answer(event->lValue);
    }
    {
        std::lock_guard lock(mutex_);
        if (event->lCode != doneCode_) progress_.push_back(event->lValue);
        events_ += 1;
    }
    arrived_.notify_all();
}

std::vector<int32_t> WorkerWatch::takeProgress() {
    std::lock_guard lock(mutex_);
    return std::exchange(progress_, {});
}

// Wakes as soon as an event arrives, so the final one ends the command without a polling delay.
void WorkerWatch::waitForEvent(int milliseconds) {
    std::unique_lock lock(mutex_);
    const uint64_t seen = events_;
    arrived_.wait_for(lock, std::chrono::milliseconds(milliseconds), [&] { return events_ != seen || done_; });
}

void catchInterrupt() {
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

bool interrupted() { return interruptSeen != 0; }

std::string copyStatusLine(uint64_t position, uint64_t total, double elapsedSeconds, uint64_t copiedSinceStart,
                           uint64_t chunksDone, uint64_t chunks, uint64_t badRuns) {
    const double rate = elapsedSeconds > 0 ? static_cast<double>(copiedSinceStart) / elapsedSeconds : 0;
    const double left = rate > 0 ? (total - std::min(position, total)) / rate : -1;
    const double percent = total == 0 ? 100.0 : 100.0 * position / total;
    char text[256];
    std::snprintf(text, sizeof text, "pos %s (%.1f%%)  rate %s  chunks %llu/%llu  bad runs %llu  left %s",
                  humanSize(position).c_str(), percent, humanRate(copiedSinceStart, elapsedSeconds).c_str(),
                  static_cast<unsigned long long>(chunksDone), static_cast<unsigned long long>(chunks),
                  static_cast<unsigned long long>(badRuns), humanDuration(left).c_str());
    return text;
}

}  // namespace nvrdisk
