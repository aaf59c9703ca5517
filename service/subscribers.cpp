// The subscriber list: changed by session threads, walked by the library's worker threads. The
// walk works on a copy, so a session may subscribe or end while events are relayed; the copy's
// references keep a session alive until its exchange is over.
#include "subscribers.h"

#include <algorithm>

#include "service_io.h"

namespace halvex {

Subscribers& Subscribers::instance() {
    static Subscribers* const list = new Subscribers;  // never destroyed: workers may call late
    return *list;
}

void Subscribers::add(const std::shared_ptr<CServiceIO>& session) {
    std::lock_guard lock(mutex_);
    if (std::find(sessions_.begin(), sessions_.end(), session) == sessions_.end()) sessions_.push_back(session);
}

void Subscribers::remove(const CServiceIO* session) {
    std::lock_guard lock(mutex_);
    std::erase_if(sessions_, [session](const auto& entry) { return entry.get() == session; });
}

void Subscribers::relay(TQHD_EVENT& event) {
    std::vector<std::shared_ptr<CServiceIO>> sessions;
    {
        std::lock_guard lock(mutex_);
        sessions = sessions_;
    }
    for (const auto& session : sessions) session->Notify(event);
}

void EventRelay(uint32_t, TQHD_EVENT* event) {
    if (event != nullptr) Subscribers::instance().relay(*event);
}

}  // namespace halvex
