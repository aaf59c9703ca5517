// Drive arrivals and removals from inotify on the device directory; an eventfd lets stop() wake a
// blocked next() from another thread.
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <deque>

#include "platform/debug.h"
#include "platform/device_watcher.h"
#include "platform/drive.h"
#include "unique_fd.h"

namespace platform {
namespace {

constexpr uint32_t kArrivalMask = IN_CREATE | IN_MOVED_TO;
constexpr uint32_t kRemovalMask = IN_DELETE | IN_MOVED_FROM;
constexpr uint32_t kDirectoryGoneMask = IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED | IN_UNMOUNT;
constexpr size_t kEventHeaderSize = sizeof(struct inotify_event);

class InotifyWatcher final : public DeviceWatcher {
public:
    InotifyWatcher(UniqueFd inotify, UniqueFd wakeup) : inotify_(std::move(inotify)), wakeup_(std::move(wakeup)) {}

    std::optional<DeviceEvent> next() override {
        while (!stopped_.load()) {
            if (!pending_.empty()) return takePending();
            if (directoryGone_ || !waitAndRead()) return std::nullopt;
        }
        return std::nullopt;
    }

    void stop() override {
        stopped_.store(true);
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeup_.get(), &one, sizeof one);
    }

private:
    DeviceEvent takePending() {
        DeviceEvent event = std::move(pending_.front());
        pending_.pop_front();
        return event;
    }

    // Waits for inotify or the wake-up; false when woken by stop() or on an error.
    bool waitAndRead() {
        pollfd descriptors[2] = {{inotify_.get(), POLLIN, 0}, {wakeup_.get(), POLLIN, 0}};
        const int ready = ::poll(descriptors, 2, -1);
        if (ready < 0) return errno == EINTR;
        if (descriptors[1].revents != 0) return false;
        if (descriptors[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return false;
        return readEvents();
    }

    bool readEvents() {
        alignas(struct inotify_event) char buffer[16 * (kEventHeaderSize + NAME_MAX + 1)];
        const ssize_t got = ::read(inotify_.get(), buffer, sizeof buffer);
        if (got < 0) return errno == EINTR || errno == EAGAIN;
        if (got == 0) return false;
        parseEvents(buffer, static_cast<size_t>(got));
        return true;
    }

    // Walks the variable-length records; a record that claims more bytes than were read ends the
    // walk instead of running past the buffer.
    void parseEvents(const char* buffer, size_t size) {
        size_t offset = 0;
        while (size - offset >= kEventHeaderSize) {
            struct inotify_event header;
            std::memcpy(&header, buffer + offset, kEventHeaderSize);
            if (header.len > size - offset - kEventHeaderSize) break;
            const char* name = buffer + offset + kEventHeaderSize;
            handleEvent(header.mask, std::string(name, strnlen(name, header.len)));
            offset += kEventHeaderSize + header.len;
        }
    }

    void handleEvent(uint32_t mask, const std::string& name) {
        if (mask & kDirectoryGoneMask) directoryGone_ = true;
        if (mask & IN_Q_OVERFLOW) debugOut("platform: device events were lost (inotify queue overflow)\n");
        if ((mask & IN_ISDIR) || name.empty()) return;
        const int number = driveNumberOfEntry(name);
        if (number < 0) return;
        if (mask & kArrivalMask) pending_.push_back({DeviceChange::Arrival, number, name});
        if (mask & kRemovalMask) pending_.push_back({DeviceChange::Removal, number, name});
    }

    UniqueFd inotify_;
    UniqueFd wakeup_;
    std::atomic<bool> stopped_{false};
    bool directoryGone_ = false;
    std::deque<DeviceEvent> pending_;
};

}  // namespace

std::unique_ptr<DeviceWatcher> openDeviceWatcher() {
    UniqueFd inotify(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    UniqueFd wakeup(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC));
    if (!inotify.valid() || !wakeup.valid()) return nullptr;
    const std::string directory = deviceDirectory();
    const uint32_t mask = kArrivalMask | kRemovalMask | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    if (::inotify_add_watch(inotify.get(), directory.c_str(), mask) < 0) {
        debugOut("platform: cannot watch %s: %s\n", directory.c_str(), std::strerror(errno));
        return nullptr;
    }
    return std::make_unique<InotifyWatcher>(std::move(inotify), std::move(wakeup));
}

}  // namespace platform
