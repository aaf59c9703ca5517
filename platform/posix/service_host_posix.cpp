// The single-instance lock, stop signals and the system log of a foreground daemon.
#include "platform/service_host.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <syslog.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

namespace platform {
namespace {

// The handler only writes the signal's number into a pipe that waitForStopSignal reads: both are
// safe in a signal handler, on any thread.
int stopPipe[2] = {-1, -1};

void onStopSignal(int number) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t written = ::write(stopPipe[1], &byte, 1);
    errno = saved;
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

bool catchStopSignals() {
    if (stopPipe[0] < 0 && ::pipe2(stopPipe, O_CLOEXEC) != 0) return false;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : {SIGTERM, SIGINT, SIGHUP}) {
        if (::sigaction(number, &action, nullptr) != 0) return false;
    }
    return ::signal(SIGPIPE, SIG_IGN) != SIG_ERR;
}

int waitForStopSignal() {
    unsigned char byte = 0;
    for (;;) {
        const ssize_t got = ::read(stopPipe[0], &byte, 1);
        if (got == 1) return byte;
        if (got < 0 && errno == EINTR) continue;
        return SIGTERM;  // the pipe is gone: nothing can wake us any more, so stop
    }
}

void systemLog(const std::string& program, const std::string& text) {
    ::openlog(program.c_str(), LOG_PID, LOG_DAEMON);
    ::syslog(LOG_INFO, "%s", text.c_str());
    ::closelog();
}

}  // namespace platform
