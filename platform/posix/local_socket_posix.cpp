// Unix domain stream sockets with bounded waits (poll) and writes that never raise SIGPIPE.
#include "platform/local_socket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

bool fillAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    return true;
}

int remainingMilliseconds(Clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(left);
}

// Polls one descriptor for `events`, restarting after signals; the revents, 0 on timeout, -1 on failure.
int pollOne(int descriptor, short events, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        pollfd entry{descriptor, events, 0};
        const int result = ::poll(&entry, 1, remainingMilliseconds(deadline));
        if (result > 0) return entry.revents;
        if (result == 0) return 0;
        if (errno != EINTR) return -1;
    }
}

void applyRule(const std::string& path, const AccessRule& rule) {
    ::chmod(path.c_str(), rule.mode);
    if (rule.group >= 0 || rule.user >= 0) {
        [[maybe_unused]] const int ignored = ::chown(path.c_str(), static_cast<uid_t>(rule.user),
                                                     static_cast<gid_t>(rule.group));
    }
}

}  // namespace

LocalSocket::LocalSocket(LocalSocket&& other) noexcept : descriptor_(std::exchange(other.descriptor_, -1)) {}

LocalSocket& LocalSocket::operator=(LocalSocket&& other) noexcept {
    if (this != &other) {
        close();
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

LocalSocket::~LocalSocket() { close(); }

LocalSocket LocalSocket::connectTo(const std::string& path) {
    sockaddr_un address{};
    if (!fillAddress(path, address)) return LocalSocket();
    LocalSocket socket(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!socket.valid()) return socket;
    if (::connect(socket.descriptor_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return LocalSocket();
    return socket;
}

ReadResult LocalSocket::readSome(void* buffer, size_t capacity, std::chrono::milliseconds timeout) {
    if (!valid() || capacity == 0) return {IoStatus::Failed, 0};
    const int ready = pollOne(descriptor_, POLLIN, timeout);
    if (ready < 0) return {IoStatus::Failed, 0};
    if (ready == 0) return {IoStatus::TimedOut, 0};
    for (;;) {
        const ssize_t got = ::recv(descriptor_, buffer, capacity, MSG_DONTWAIT);
        if (got > 0) return {IoStatus::Done, static_cast<size_t>(got)};
        if (got == 0) return {IoStatus::Closed, 0};
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return {IoStatus::TimedOut, 0};
        return {errno == ECONNRESET ? IoStatus::Closed : IoStatus::Failed, 0};
    }
}

IoStatus LocalSocket::writeAll(const void* data, size_t size, std::chrono::milliseconds timeout) {
    if (!valid()) return IoStatus::Failed;
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t written = 0;
    while (written < size) {
        const ssize_t sent = ::send(descriptor_, bytes + written, size - written, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (sent > 0) {
            written += static_cast<size_t>(sent);
            continue;
        }
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return errno == EPIPE || errno == ECONNRESET ? IoStatus::Closed : IoStatus::Failed;
        }
        const int ready = pollOne(descriptor_, POLLOUT, timeout);
        if (ready == 0) return IoStatus::TimedOut;
        if (ready < 0 || (ready & (POLLERR | POLLHUP)) != 0) return IoStatus::Closed;
    }
    return IoStatus::Done;
}

bool LocalSocket::peerOpen() const { return valid() && !waitPeerClosed(std::chrono::milliseconds(0)); }

bool LocalSocket::waitPeerClosed(std::chrono::milliseconds timeout) const {
    if (!valid()) return true;
    const int ready = pollOne(descriptor_, POLLRDHUP, timeout);
    return ready < 0 || (ready & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)) != 0;
}

int LocalSocket::peerUser() const {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (!valid() || ::getsockopt(descriptor_, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) return -1;
    return static_cast<int>(credentials.uid);
}

void LocalSocket::shutdownBoth() {
    if (valid()) ::shutdown(descriptor_, SHUT_RDWR);
}

void LocalSocket::close() {
    if (descriptor_ >= 0) ::close(descriptor_);
    descriptor_ = -1;
}

LocalListener::LocalListener(LocalListener&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)), path_(std::move(other.path_)) {}

LocalListener& LocalListener::operator=(LocalListener&& other) noexcept {
    if (this != &other) {
        close();
        descriptor_ = std::exchange(other.descriptor_, -1);
        path_ = std::move(other.path_);
    }
    return *this;
}

LocalListener::~LocalListener() { close(); }

LocalListener LocalListener::create(const std::string& path, const AccessRule& rule) {
    sockaddr_un address{};
    if (!fillAddress(path, address)) return LocalListener();
    LocalListener listener;
    listener.descriptor_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (!listener.valid()) return LocalListener();
    ::unlink(path.c_str());
    if (::bind(listener.descriptor_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return LocalListener();
    listener.path_ = path;
    applyRule(path, rule);
    if (::listen(listener.descriptor_, SOMAXCONN) != 0) return LocalListener();
    return listener;
}

LocalSocket LocalListener::accept(std::chrono::milliseconds timeout) {
    if (!valid()) return LocalSocket();
    const int ready = pollOne(descriptor_, POLLIN, timeout);
    if (ready <= 0) return LocalSocket();
    return LocalSocket(::accept4(descriptor_, nullptr, nullptr, SOCK_CLOEXEC));
}

void LocalListener::close() {
    if (descriptor_ < 0) return;
    ::close(descriptor_);
    descriptor_ = -1;
    if (!path_.empty()) ::unlink(path_.c_str());
    path_.clear();
}

std::vector<bool> ReadinessSet::wait(std::chrono::milliseconds timeout) const {
    std::vector<pollfd> entries;
    for (int descriptor : descriptors_) entries.push_back({descriptor, POLLIN, 0});
    std::vector<bool> ready(entries.size(), false);
    const int result = ::poll(entries.data(), entries.size(), static_cast<int>(timeout.count()));
    if (result <= 0) return ready;
    for (size_t index = 0; index < entries.size(); ++index) ready[index] = entries[index].revents != 0;
    return ready;
}

}  // namespace platform
