// Registers with the disk service as the client library does (hello on the command socket, the
// session socket's name, hello again, the section's name) and then hangs up: the service answers
// only when every step works.
#include "service_check.h"

#include <chrono>
#include <thread>

#include "command_error.h"
#include "platform/drive.h"
#include "platform/local_socket.h"
#include "protocol/messages.h"
#include "protocol/names.h"
#include "protocol/receive_buffer.h"

namespace nvrdisk {
namespace {

using namespace std::chrono_literals;

constexpr auto kStepLimit = 3s;
constexpr auto kSessionOpenLimit = 100ms;

// The next announcement on the socket, or nothing when it does not come in time.
std::optional<protocol::Announcement> readAnnouncement(platform::LocalSocket& socket) {
    protocol::ReceiveBuffer buffer;
    for (;;) {
        const protocol::MessageView front = buffer.front();
        if (front.state == protocol::MessageState::Complete) return protocol::decodeAnnouncement(front.bytes);
        if (front.state == protocol::MessageState::Malformed || buffer.freeSpace().empty()) return std::nullopt;
        const auto room = buffer.freeSpace();
        const platform::ReadResult result = socket.readSome(room.data(), room.size(), kStepLimit);
        if (result.status != platform::IoStatus::Done) return std::nullopt;
        buffer.added(result.count);
    }
}

// Sends the hello and expects an announcement of `sort`.
std::optional<std::string> greet(platform::LocalSocket& socket, uint8_t sort) {
    const protocol::Hello hello = protocol::makeHello();
    if (socket.writeAll(hello.data(), hello.size(), kStepLimit) != platform::IoStatus::Done) return std::nullopt;
    const auto announcement = readAnnouncement(socket);
    if (!announcement || announcement->sort != sort) return std::nullopt;
    return announcement->name;
}

platform::LocalSocket openSessionSocket(const std::string& path) {
    const auto deadline = std::chrono::steady_clock::now() + kSessionOpenLimit;
    platform::LocalSocket socket;
    while (!socket.valid() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(2ms);
        socket = platform::LocalSocket::connectTo(path);
    }
    return socket;
}

bool serviceAnswers(const std::string& commandPath) {
    platform::LocalSocket command = platform::LocalSocket::connectTo(commandPath);
    if (!command.valid()) return false;
    const auto sessionName = greet(command, protocol::kSortSessionSocket);
    command.close();
    if (!sessionName) return false;
    platform::LocalSocket session = openSessionSocket(protocol::runtimePathOf(*sessionName));
    return session.valid() && greet(session, protocol::kSortSection).has_value();
}

// The drives' own permissions let this user read the first drive: no service is needed.
bool mayOpenDrivesDirectly() {
    return platform::openDrive(0, platform::Access::Read, platform::kShareRead | platform::kShareWrite) != nullptr;
}

}  // namespace

DiskAccess checkDiskAccess() {
    DiskAccess access;
    access.direct = mayOpenDrivesDirectly();
    access.socketPath = protocol::runtimePathOf(protocol::kCommandSocketName);
    access.serviceAnswers = serviceAnswers(access.socketPath);
    return access;
}

void requireDiskAccess() {
    if (mayOpenDrivesDirectly()) return;
    const std::string socketPath = protocol::runtimePathOf(protocol::kCommandSocketName);
    if (serviceAnswers(socketPath)) return;
    throw noDiskAccess(socketPath);
}

CommandError noDiskAccess(const std::string& socketPath) {
    return CommandError("this user cannot open the drives and the disk service is not running (no answer at " +
                        socketPath + "). Start it with `sudo systemctl start halvex`, or run `sudo halvex` in "
                        "another terminal; or run nvrdisk as root");
}

}  // namespace nvrdisk
