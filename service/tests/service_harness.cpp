// The service process and the raw protocol client of the tests.
#include "service_harness.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "protocol/names.h"
#include "protocol/section_transfer.h"
#include "run_process.h"

#ifndef HALVEX_PROGRAM
#error "HALVEX_PROGRAM names the service program under test"
#endif

namespace halvextest {
namespace {

size_t entriesIn(const std::string& directory) {
    DIR* listing = opendir(directory.c_str());
    if (listing == nullptr) return 0;
    size_t count = 0;
    while (const dirent* entry = readdir(listing)) count += entry->d_name[0] != '.';
    closedir(listing);
    return count;
}

}  // namespace

RunningService::RunningService(const std::string& deviceDirectory, const std::string& runtimeDirectory,
                               const std::vector<std::string>& options)
    : runtimeDirectory_(runtimeDirectory), outputPath_(runtimeDirectory + ".log") {
    setenv("NVRDISK_RUNTIME_DIR", runtimeDirectory.c_str(), 1);  // where this process's clients look
    std::vector<std::string> arguments = {HALVEX_PROGRAM, "--runtime-dir", runtimeDirectory};
    arguments.insert(arguments.end(), options.begin(), options.end());
    std::vector<std::string> environment = nvrtest::environmentWith({"NVRDISK_DEVICE_DIR=" + deviceDirectory});
    std::vector<char*> argv, envp;
    for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    for (auto& variable : environment) envp.push_back(variable.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outputPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const int result = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) throw std::runtime_error("cannot start halvex");
}

RunningService::~RunningService() {
    if (pid_ > 0) stop(SIGKILL);
    unlink(outputPath_.c_str());
}

bool RunningService::waitUntilListening() {
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    const std::string path = protocol::runtimePathOf(protocol::kCommandSocketName);
    while (std::chrono::steady_clock::now() < deadline) {
        if (platform::LocalSocket::connectTo(path).valid()) return true;
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return false;
        }
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

int RunningService::stop(int signal) {
    if (pid_ <= 0) return -1;
    kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string RunningService::output() const {
    std::ifstream in(outputPath_);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

size_t RunningService::openDescriptors() const { return entriesIn("/proc/" + std::to_string(pid_) + "/fd"); }
size_t RunningService::threads() const { return entriesIn("/proc/" + std::to_string(pid_) + "/task"); }

std::optional<std::vector<uint8_t>> readOneMessage(platform::LocalSocket& socket, protocol::ReceiveBuffer& buffer,
                                                   std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto view = buffer.front();
        if (view.state == protocol::MessageState::Complete) {
            std::vector<uint8_t> message(view.bytes.begin(), view.bytes.end());
            buffer.consume(message.size());
            return message;
        }
        if (view.state == protocol::MessageState::Malformed) return std::nullopt;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        const auto space = buffer.freeSpace();
        const auto result = socket.readSome(space.data(), space.size(), left);
        if (result.status != platform::IoStatus::Done) return std::nullopt;
        buffer.added(result.count);
    }
}

platform::LocalSocket RawClient::sendFirstHello(std::span<const uint8_t> hello) {
    auto socket = platform::LocalSocket::connectTo(protocol::runtimePathOf(protocol::kCommandSocketName));
    if (socket.valid()) socket.writeAll(hello.data(), hello.size(), kPatience);
    return socket;
}

bool RawClient::connect() {
    const protocol::Hello hello = protocol::makeHello();
    platform::LocalSocket command = sendFirstHello(hello);
    protocol::ReceiveBuffer commandBuffer;
    const auto first = readOneMessage(command, commandBuffer);
    const auto sessionName = first ? protocol::decodeAnnouncement(*first) : std::nullopt;
    if (!sessionName || sessionName->sort != protocol::kSortSessionSocket) return false;
    socket_ = platform::LocalSocket::connectTo(protocol::runtimePathOf(sessionName->name));
    if (!send(hello)) return false;
    const auto second = readMessage();
    const auto sectionName = second ? protocol::decodeAnnouncement(*second) : std::nullopt;
    if (!sectionName || sectionName->sort != protocol::kSortSection) return false;
    section_ = platform::SharedSection::open(protocol::runtimePathOf(sectionName->name), protocol::kSectionSize);
    return section_.valid();
}

bool RawClient::send(std::span<const uint8_t> bytes) {
    return socket_.writeAll(bytes.data(), bytes.size(), kPatience) == platform::IoStatus::Done;
}

std::optional<std::vector<uint8_t>> RawClient::readMessage(std::chrono::milliseconds limit) {
    return readOneMessage(socket_, received_, limit);
}

std::optional<protocol::Reply> RawClient::call(const protocol::Request& request) {
    auto bytes = protocol::encodeRequest(request);
    if (!bytes || !send(bytes.value())) return std::nullopt;
    const auto message = readMessage();
    return message ? protocol::decodeReply(*message) : std::nullopt;
}

std::vector<uint8_t> RawClient::receiveData(size_t size) {
    std::vector<uint8_t> data(size);
    const protocol::TransferGuard guard{[this] { return socket_.peerOpen(); }, kPatience};
    if (protocol::receiveSectionData(section(), data, guard) != 0) data.clear();
    return data;
}

void RawClient::close() {
    socket_.close();
    section_ = platform::SharedSection();
}

protocol::Request byName(uint8_t code, std::string text) {
    protocol::Request request;
    request.code = code;
    request.text = std::move(text);
    return request;
}

protocol::Request onHandle(uint8_t code, uint32_t handle, uint32_t number) {
    protocol::Request request;
    request.code = code;
    request.handle = handle;
    request.number = number;
    return request;
}

}  // namespace halvextest
