// Threads with a per-thread mailbox: post a message (quit among them), peek-and-remove.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

using ThreadId = uint64_t;

struct Message {
    uint32_t id = 0;
    uintptr_t wParam = 0;
    intptr_t lParam = 0;
};

constexpr uint32_t kQuitMessage = 0x12;

// The calling thread's id; every thread gets one, and a mailbox the first time it is used.
ThreadId currentThreadId();
// Posts a message to a thread's mailbox; false when no thread with that id has a mailbox.
bool postThreadMessage(ThreadId thread, const Message& message);
// Removes the oldest message of the calling thread's mailbox into `out`; false when it is empty.
bool peekMessage(Message& out);
// Waits up to `timeout` for a message of the calling thread; false on timeout.
bool waitMessage(Message& out, std::chrono::milliseconds timeout);

// How many processors the calling thread may run on (1 when it cannot be found out). A thread
// that waits for another process gains nothing by spinning when both must share one processor.
unsigned processorsForThisThread();

// A thread whose mailbox exists before start() returns, so messages posted at once are not lost.
class MessageThread {
public:
    MessageThread();
    ~MessageThread();  // joins a thread that was started and not joined
    MessageThread(const MessageThread&) = delete;
    MessageThread& operator=(const MessageThread&) = delete;

    // Starts the thread; false when it cannot be created.
    bool start(std::function<void()> body);
    ThreadId id() const;
    bool started() const;
    // True once the body has returned.
    bool finished() const;
    // Waits up to `timeout` for the body to return; true when it has (the thread is then joined).
    bool joinFor(std::chrono::milliseconds timeout);
    void join();
    void postQuit();

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace platform
