// Starts a program with a pipe for its output and reads it with poll() so a test never blocks.
#include "running_program.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <string_view>

extern char** environ;

namespace nvrdisk::testing {

RunningProgram::RunningProgram(const std::vector<std::string>& arguments) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    const int result = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    readEnd_ = pipeEnds[0];
    if (result != 0) throw std::runtime_error("cannot start " + arguments[0]);
}

RunningProgram::~RunningProgram() {
    if (pid_ > 0) stop(SIGKILL);
    if (readEnd_ >= 0) close(readEnd_);
}

bool RunningProgram::readMore(std::chrono::steady_clock::time_point deadline) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) return false;
    pollfd entry{readEnd_, POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(left.count())) <= 0) return false;
    char buffer[4096];
    const ssize_t got = read(readEnd_, buffer, sizeof buffer);
    if (got <= 0) return false;  // the program closed its output
    output_.append(buffer, static_cast<size_t>(got));
    return true;
}

bool RunningProgram::waitForLine(const std::string& text, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        for (size_t end = output_.find('\n', scanned_); end != std::string::npos; end = output_.find('\n', scanned_)) {
            const bool found = std::string_view(output_).substr(scanned_, end - scanned_).find(text) != std::string::npos;
            scanned_ = end + 1;
            if (found) return true;
        }
        if (!readMore(deadline)) return false;
    }
}

int RunningProgram::stop(int signal) {
    kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace nvrdisk::testing
