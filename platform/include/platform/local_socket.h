// Local stream sockets at paths in the runtime directory: the service's command and session
// endpoints and the client's connections to them. Every wait has a bound.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <vector>

#include "platform/runtime_dir.h"

namespace platform {

enum class IoStatus { Done, TimedOut, Closed, Failed };

struct ReadResult {
    IoStatus status = IoStatus::Failed;
    size_t count = 0;  // bytes read when status is Done (at least 1)
};

// One connected end. Moves, never copies; closes on destruction.
class LocalSocket {
public:
    LocalSocket() = default;
    explicit LocalSocket(int descriptor) : descriptor_(descriptor) {}
    LocalSocket(LocalSocket&& other) noexcept;
    LocalSocket& operator=(LocalSocket&& other) noexcept;
    LocalSocket(const LocalSocket&) = delete;
    LocalSocket& operator=(const LocalSocket&) = delete;
    ~LocalSocket();

    // Connects to the socket at `path`; an invalid socket when nobody listens there.
    static LocalSocket connectTo(const std::string& path);

    bool valid() const { return descriptor_ >= 0; }
    // Waits up to `timeout` for bytes and reads those that are there, at most `capacity`.
    ReadResult readSome(void* buffer, size_t capacity, std::chrono::milliseconds timeout);
    // Writes every byte; gives up when the peer takes nothing for `timeout` or closes.
    IoStatus writeAll(const void* data, size_t size, std::chrono::milliseconds timeout);
    // True while the peer keeps its end open (checked without reading).
    bool peerOpen() const;
    // Waits up to `timeout` for the peer to close its end, without reading; true when it did.
    bool waitPeerClosed(std::chrono::milliseconds timeout) const;
    // The peer process's user id, -1 when unknown.
    int peerUser() const;
    // Ends both directions: a thread blocked reading this socket wakes up, the peer sees the end.
    void shutdownBoth();
    void close();
    int descriptor() const { return descriptor_; }

private:
    int descriptor_ = -1;
};

// A listening socket bound to a path; the path is removed again when the listener closes.
class LocalListener {
public:
    LocalListener() = default;
    LocalListener(LocalListener&& other) noexcept;
    LocalListener& operator=(LocalListener&& other) noexcept;
    LocalListener(const LocalListener&) = delete;
    LocalListener& operator=(const LocalListener&) = delete;
    ~LocalListener();

    // Binds and listens at `path` (a stale socket file there is replaced) with the access rule.
    static LocalListener create(const std::string& path, const AccessRule& rule);

    bool valid() const { return descriptor_ >= 0; }
    // Waits up to `timeout` for a client; an invalid socket when none came.
    LocalSocket accept(std::chrono::milliseconds timeout);
    void close();
    int descriptor() const { return descriptor_; }
    const std::string& path() const { return path_; }

private:
    int descriptor_ = -1;
    std::string path_;
};

// Waits for any of several sockets or listeners to become readable (or closed by the peer).
class ReadinessSet {
public:
    void add(const LocalSocket& socket) { descriptors_.push_back(socket.descriptor()); }
    void add(const LocalListener& listener) { descriptors_.push_back(listener.descriptor()); }
    // Waits up to `timeout`; one flag per added entry, in order, true when it is ready.
    std::vector<bool> wait(std::chrono::milliseconds timeout) const;

private:
    std::vector<int> descriptors_;
};

}  // namespace platform
