// The sessions that receive the library's events, and the callback that relays them.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "tqhd.h"

namespace halvex {

class CServiceIO;

class Subscribers {
public:
    // The one list of the process; it outlives every session and worker thread.
    static Subscribers& instance();

    // Appends a session once.
    void add(const std::shared_ptr<CServiceIO>& session);
    void remove(const CServiceIO* session);
    // Notifies every subscribed session in list order; each answer may change event->lValue.
    void relay(TQHD_EVENT& event);

private:
    std::mutex mutex_;
    std::vector<std::shared_ptr<CServiceIO>> sessions_;
};

// The callback registered with the library for every subscription; the user value is unused.
void EventRelay(uint32_t userValue, TQHD_EVENT* event);

}  // namespace halvex
