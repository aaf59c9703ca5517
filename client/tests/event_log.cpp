#include "event_log.h"

#include <chrono>

namespace clienttest {
namespace {

// Held while an event is handled, so a log is never destroyed under a delivering thread.
std::mutex delivering;
EventLog* current = nullptr;

}  // namespace

EventLog::EventLog() {
    std::lock_guard lock(delivering);
    current = this;
}

EventLog::~EventLog() {
    std::lock_guard lock(delivering);
    current = nullptr;
}

void EventLog::receive(uint32_t userValue, TQHD_EVENT* event) {
    std::lock_guard lock(delivering);
    if (current != nullptr) current->record(userValue, *event);
}

void EventLog::record(uint32_t userValue, TQHD_EVENT& event) {
    {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
        userValue_ = userValue;
        arrived_.notify_all();
    }
    if (onEvent) onEvent(event);
}

bool EventLog::waitFor(int32_t code, int32_t& value) {
    std::unique_lock lock(mutex_);
    const bool seen = arrived_.wait_for(lock, std::chrono::seconds(60), [&] {
        for (const TQHD_EVENT& event : events_)
            if (event.lCode == code) return true;
        return false;
    });
    if (!seen) return false;
    for (const TQHD_EVENT& event : events_)
        if (event.lCode == code) value = event.lValue;
    return true;
}

std::vector<TQHD_EVENT> EventLog::events() {
    std::lock_guard lock(mutex_);
    return events_;
}

uint32_t EventLog::lastUserValue() {
    std::lock_guard lock(mutex_);
    return userValue_;
}

}  // namespace clienttest
