// What `copy` and `format` show while a worker of the disk library runs: its events, received
// through the callback registration, and the status line drawn from them.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "tqhdc.h"

namespace nvrdisk {

// Receives the events of one disk's worker (one watch at a time in the program).
class WorkerWatch {
public:
    // Registers for the disk's events. Through the service the registration ends by itself
    // after the final event; directly, it stays with the library and finds no watch afterwards.
    WorkerWatch(TQHDC_HANDLE disk, int32_t doneCode);
    ~WorkerWatch();
    WorkerWatch(const WorkerWatch&) = delete;
    WorkerWatch& operator=(const WorkerWatch&) = delete;

    // Answers a progress event that asks a question (the copy's resume question); runs on the
    // worker thread and returns the value to write back.
    std::function<int32_t(int32_t value)> answer;

    bool done() const { return done_; }
    int32_t result() const { return result_; }
    // The progress values received since the last call, in order.
    std::vector<int32_t> takeProgress();
    // Waits up to `milliseconds` for the next event.
    void waitForEvent(int milliseconds);

private:
    static void receive(uint32_t userValue, TQHD_EVENT* event);
    void record(TQHD_EVENT* event);

    TQHDC_HANDLE disk_;
    int32_t doneCode_;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<int32_t> progress_;
    std::atomic<bool> done_{false};
    std::atomic<int32_t> result_{0};
    std::atomic<uint64_t> events_{0};
};

// Ctrl-C while a worker runs: the first press asks the worker to stop.
void catchInterrupt();
bool interrupted();

// The copy status line: position, rate, chunks done, bad runs so far and time left.
std::string copyStatusLine(uint64_t position, uint64_t total, double elapsedSeconds, uint64_t copiedSinceStart,
                           uint64_t chunksDone, uint64_t chunks, uint64_t badRuns);

}  // namespace nvrdisk
