// The single-instance lock, stop signals and the system log of a foreground daemon.
#include "platform/service_host.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <syslog.h>
#include <unistd.h>

#include <utility>

namespace platform {
namespace {

sigset_t stopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    return signals;
}

}  // namespace

InstanceLock::InstanceLock(InstanceLock&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}

InstanceLock& InstanceLock::operator=(InstanceLock&& other) noexcept {
    if (this != &other) {
        if (descriptor_ >= 0) ::close(descriptor_);
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

InstanceLock::~InstanceLock() {
    if (descriptor_ >= 0) ::close(descriptor_);
}

InstanceLock InstanceLock::acquire(const std::string& path) {
    InstanceLock lock;
    const int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (descriptor < 0) return lock;
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        ::close(descriptor);
        return lock;
    }
    lock.descriptor_ = descriptor;
    return lock;
}

bool blockStopSignals() {
    const sigset_t signals = stopSignals();
    if (::pthread_sigmask(SIG_BLOCK, &signals, nullptr) != 0) return false;
    return ::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
}

int waitForStopSignal() {
    const sigset_t signals = stopSignals();
    int number = 0;
    while (::sigwait(&signals, &number) != 0) {
    }
    return number;
}

void systemLog(const std::string& program, const std::string& text) {
    ::openlog(program.c_str(), LOG_PID, LOG_DAEMON);
    ::syslog(LOG_INFO, "%s", text.c_str());
    ::closelog();
}

}  // namespace platform
