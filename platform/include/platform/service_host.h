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

// Catches SIGTERM, SIGINT and SIGHUP on whatever thread they arrive (threads started before
// main, such as a library's, included) and ignores SIGPIPE, so a stop signal never ends the
// process by itself but wakes waitForStopSignal. False on failure.
bool catchStopSignals();
// Waits for one of the caught stop signals; returns its number.
int waitForStopSignal();

// One informational message to the system log under the program's name.
void systemLog(const std::string& program, const std::string& text);

}  // namespace platform
