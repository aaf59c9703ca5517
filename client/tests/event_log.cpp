#include "event_log.h"

#include <atomic>
#include <chrono>

namespace clienttest {
namespace {

std::atomic<EventLog*> current{nullptr};

}  // namespace

EventLog::EventLog() { current = this; }

EventLog::~EventLog() { current = nullptr; }

void EventLog::receive(uint32_t userValue, TQHD_EVENT* event) {
    if (EventLog* log = current.load()) log->record(userValue, *event);
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
