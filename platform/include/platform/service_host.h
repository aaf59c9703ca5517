// What a foreground daemon needs from the system: one instance at a time, stop signals, syslog.
#pragma once

#include <string>

namespace platform {

// An exclusive lock on a file, held while the object lives.
class InstanceLock {
public:
    InstanceLock() = default;
    InstanceLock(InstanceLock&& other) noexcept;
    InstanceLock& operator=(InstanceLock&& other) noexcept;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

    // Takes the lock on `path` (created when missing) without waiting; not held when another
    // process holds it or the file cannot be opened.
    static InstanceLock acquire(const std::string& path);
    bool held() const { return descriptor_ >= 0; }

private:
    int descriptor_ = -1;
};

// Blocks SIGTERM, SIGINT and SIGHUP in the calling thread and every thread it starts later, and
// ignores SIGPIPE, so a stop signal is only ever taken by waitForStopSignal. False on failure.
bool blockStopSignals();
// Waits for one of the blocked stop signals; returns its number.
int waitForStopSignal();

// One informational message to the system log under the program's name.
void systemLog(const std::string& program, const std::string& text);

}  // namespace platform
