// Threads and per-thread mailboxes: a thread's mailbox is registered under its id so others can
// post to it, and leaves the registry when the thread ends, after which posts to it fail.
#include "platform/thread.h"

#include <sched.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
#include <unordered_map>

#include "platform/debug.h"

namespace platform {
namespace {

struct Mailbox {
    std::mutex mutex;
    std::condition_variable arrived;
    std::deque<Message> messages;
};

struct MailboxRegistry {
    std::mutex mutex;
    std::unordered_map<ThreadId, std::shared_ptr<Mailbox>> mailboxes;
};

// Never destroyed: threads still ending while the process exits unregister into it.
MailboxRegistry& registry() {
    static MailboxRegistry* instance = new MailboxRegistry;
    return *instance;
}

ThreadId newThreadId() {
    static std::atomic<ThreadId> counter{0};
    return ++counter;
}

void registerMailbox(ThreadId id, std::shared_ptr<Mailbox> mailbox) {
    MailboxRegistry& mailboxes = registry();
    std::lock_guard lock(mailboxes.mutex);
    mailboxes.mailboxes[id] = std::move(mailbox);
}

void unregisterMailbox(ThreadId id) {
    MailboxRegistry& mailboxes = registry();
    std::lock_guard lock(mailboxes.mutex);
    mailboxes.mailboxes.erase(id);
}

std::shared_ptr<Mailbox> findMailbox(ThreadId id) {
    MailboxRegistry& mailboxes = registry();
    std::lock_guard lock(mailboxes.mutex);
    auto found = mailboxes.mailboxes.find(id);
    return found == mailboxes.mailboxes.end() ? nullptr : found->second;
}

// The calling thread's id and mailbox, made on first use (or handed over by MessageThread before
// the body runs) and unregistered when the thread ends.
struct ThreadSlot {
    ThreadId id = 0;
    std::shared_ptr<Mailbox> mailbox;

    ~ThreadSlot() {
        if (id != 0) unregisterMailbox(id);
    }
    void adopt(ThreadId givenId, std::shared_ptr<Mailbox> givenMailbox) {
        id = givenId;
        mailbox = std::move(givenMailbox);
    }
    Mailbox& ensure() {
        if (id == 0) {
            adopt(newThreadId(), std::make_shared<Mailbox>());
            registerMailbox(id, mailbox);
        }
        return *mailbox;
    }
};

thread_local ThreadSlot currentSlot;

bool takeOldest(Mailbox& mailbox, Message& out) {
    if (mailbox.messages.empty()) return false;
    out = mailbox.messages.front();
    mailbox.messages.pop_front();
    return true;
}

// Runs a thread's body; an exception must not take the process down with it.
void runGuarded(const std::function<void()>& body, ThreadId id) {
    try {
        if (body) body();
    } catch (const std::exception& error) {
        debugOut("platform: thread %llu ended by an exception: %s\n", static_cast<unsigned long long>(id),
                 error.what());
    } catch (...) {
        debugOut("platform: thread %llu ended by an exception\n", static_cast<unsigned long long>(id));
    }
}

}  // namespace

ThreadId currentThreadId() {
    currentSlot.ensure();
    return currentSlot.id;
}

bool postThreadMessage(ThreadId thread, const Message& message) {
    std::shared_ptr<Mailbox> mailbox = findMailbox(thread);
    if (!mailbox) return false;
    {
        std::lock_guard lock(mailbox->mutex);
        mailbox->messages.push_back(message);
    }
    mailbox->arrived.notify_all();
    return true;
}

bool peekMessage(Message& out) {
    Mailbox& mailbox = currentSlot.ensure();
    std::lock_guard lock(mailbox.mutex);
    return takeOldest(mailbox, out);
}

bool waitMessage(Message& out, std::chrono::milliseconds timeout) {
    Mailbox& mailbox = currentSlot.ensure();
    std::unique_lock lock(mailbox.mutex);
    mailbox.arrived.wait_for(lock, timeout, [&] { return !mailbox.messages.empty(); });
    return takeOldest(mailbox, out);
}

struct MessageThread::State {
    ThreadId id = 0;
    std::shared_ptr<Mailbox> mailbox;
    std::thread thread;
    std::mutex joinMutex;  // one joiner at a time
    mutable std::mutex mutex;
    std::condition_variable ended;
    bool started = false;
    bool finished = false;
};

MessageThread::MessageThread() : state_(std::make_shared<State>()) {}

MessageThread::~MessageThread() {
    if (!state_->thread.joinable()) return;
    if (state_->thread.get_id() == std::this_thread::get_id()) {
        state_->thread.detach();  // destroyed from its own body: it cannot wait for itself
        return;
    }
    join();
}

bool MessageThread::start(std::function<void()> body) {
    std::lock_guard joinLock(state_->joinMutex);
    if (state_->started) return false;
    state_->id = newThreadId();
    state_->mailbox = std::make_shared<Mailbox>();
    registerMailbox(state_->id, state_->mailbox);
    try {
        // The thread takes over the prepared id and mailbox, runs the body, then reports its end.
        state_->thread = std::thread([state = state_, body = std::move(body)] {
            currentSlot.adopt(state->id, state->mailbox);
            runGuarded(body, state->id);
            {
                std::lock_guard lock(state->mutex);
                state->finished = true;
            }
            state->ended.notify_all();
        });
    } catch (const std::system_error& error) {
        debugOut("platform: cannot start a thread: %s\n", error.what());
        unregisterMailbox(state_->id);
        return false;
    }
    std::lock_guard lock(state_->mutex);
    state_->started = true;
    return true;
}

ThreadId MessageThread::id() const { return state_->id; }

bool MessageThread::started() const {
    std::lock_guard lock(state_->mutex);
    return state_->started;
}

bool MessageThread::finished() const {
    std::lock_guard lock(state_->mutex);
    return state_->finished;
}

bool MessageThread::joinFor(std::chrono::milliseconds timeout) {
    {
        std::unique_lock lock(state_->mutex);
        if (!state_->started) return true;
        if (!state_->ended.wait_for(lock, timeout, [&] { return state_->finished; })) return false;
    }
    join();
    return true;
}

void MessageThread::join() {
    std::lock_guard joinLock(state_->joinMutex);
    if (!state_->thread.joinable() || state_->thread.get_id() == std::this_thread::get_id()) return;
    state_->thread.join();
}

void MessageThread::postQuit() { postThreadMessage(state_->id, Message{kQuitMessage, 0, 0}); }

unsigned processorsForThisThread() {
    cpu_set_t processors;
    CPU_ZERO(&processors);
    if (::sched_getaffinity(0, sizeof processors, &processors) != 0) return 1;
    return static_cast<unsigned>(CPU_COUNT(&processors));
}

}  // namespace platform
