// Runs the real halvex on a device directory and a runtime directory of the test's own, and
// talks to it as a client would, message by message, through the protocol module.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/local_socket.h"
#include "platform/shared_section.h"
#include "protocol/messages.h"
#include "protocol/receive_buffer.h"
#include "protocol/requests.h"

namespace halvextest {

using namespace std::chrono_literals;

// A bound on every wait of a test for the service: a guard against hanging, not a timing check.
constexpr auto kPatience = std::chrono::seconds(30);

class RunningService {
public:
    RunningService(const std::string& deviceDirectory, const std::string& runtimeDirectory,
                   const std::vector<std::string>& options = {});
    ~RunningService();
    RunningService(const RunningService&) = delete;
    RunningService& operator=(const RunningService&) = delete;

    // True once the command socket accepts connections.
    bool waitUntilListening();
    // Sends a signal and waits for the end: the exit status, or -1 after a signal.
    int stop(int signal);
    pid_t pid() const { return pid_; }
    std::string output() const;
    // Open descriptors and threads of the service process.
    size_t openDescriptors() const;
    size_t threads() const;

private:
    pid_t pid_ = -1;
    std::string runtimeDirectory_;
    std::string outputPath_;
};

// A client speaking the protocol with raw messages. Every read has the kPatience bound.
class RawClient {
public:
    // Registers on the command socket, opens the session socket and maps the section; false
    // when any step fails.
    bool connect();
    // Only the command-socket step: the connected socket after `hello` was sent.
    static platform::LocalSocket sendFirstHello(std::span<const uint8_t> hello);

    bool send(std::span<const uint8_t> bytes);
    // The next whole message from the session socket; nothing when it closed or timed out.
    std::optional<std::vector<uint8_t>> readMessage(std::chrono::milliseconds limit = kPatience);
    // Sends the request and reads its reply (kind 2); nothing when no reply came.
    std::optional<protocol::Reply> call(const protocol::Request& request);
    // The data of a reply by the section rules: offset 0 up to S bytes, chunks beyond.
    std::vector<uint8_t> receiveData(size_t size);
    std::span<uint8_t> section() { return {section_.data(), section_.size()}; }
    platform::LocalSocket& socket() { return socket_; }
    void close();

private:
    platform::LocalSocket socket_;
    platform::SharedSection section_;
    protocol::ReceiveBuffer received_;
};

// Reads one whole message from any socket within `limit`; nothing when it closed first.
std::optional<std::vector<uint8_t>> readOneMessage(platform::LocalSocket& socket, protocol::ReceiveBuffer& buffer,
                                                   std::chrono::milliseconds limit = kPatience);

// Shorthands for requests.
protocol::Request byName(uint8_t code, std::string text);
protocol::Request onHandle(uint8_t code, uint32_t handle, uint32_t number = 0);

}  // namespace halvextest
