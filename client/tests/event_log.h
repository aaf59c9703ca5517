// Records the events a registration delivers, for tests that wait for a worker's progress.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

#include "tqhdc.h"

namespace clienttest {

class EventLog {
public:
    // Becomes the log the static receiver writes to; one log at a time.
    EventLog();
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    // Called for every event on the delivering thread after it is recorded (as it arrived); may
    // change the value that goes back to the worker.
    std::function<void(TQHD_EVENT& event)> onEvent;

    static void receive(uint32_t userValue, TQHD_EVENT* event);
    // Waits (bounded, a guard against hanging) for an event with `code`; its value, or nothing.
    bool waitFor(int32_t code, int32_t& value);
    std::vector<TQHD_EVENT> events();
    uint32_t lastUserValue();

private:
    void record(uint32_t userValue, TQHD_EVENT& event);

    std::mutex mutex_;
    std::condition_variable arrived_;
    std::vector<TQHD_EVENT> events_;
    uint32_t userValue_ = 0;
};

}  // namespace clienttest
