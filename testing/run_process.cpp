// Starts programs with posix_spawn and collects their output through a pipe.
#include "run_process.h"

#include "file_descriptor.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace nvrtest {
namespace {

std::string variableName(const std::string& entry) { return entry.substr(0, entry.find('=')); }

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The spawn file actions as an owned object, so every exit path destroys them.
class SpawnActions {
public:
    explicit SpawnActions(int outputDescriptor) {
        posix_spawn_file_actions_init(&actions_);
        posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions_, outputDescriptor, 1);
        posix_spawn_file_actions_adddup2(&actions_, outputDescriptor, 2);
    }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    const posix_spawn_file_actions_t* get() const { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

std::string readUntilEnd(const FileDescriptor& input) {
    std::string text;
    char buffer[65536];
    for (;;) {
        ssize_t count = ::read(input.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return text;
        text.append(buffer, static_cast<size_t>(count));
    }
}

ProcessResult waitFor(pid_t process, std::string output) {
    int status = 0;
    while (::waitpid(process, &status, 0) < 0 && errno == EINTR) {
    }
    ProcessResult result;
    result.output = std::move(output);
    if (WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    return result;
}

bool isExecutable(const std::string& path) { return ::access(path.c_str(), X_OK) == 0; }

// The program's path: from PATH, then from the system directories where e2fsprogs lives, which
// an ordinary user's PATH often lacks.
std::string resolveProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    const char* variable = std::getenv("PATH");
    std::string directories = std::string(variable != nullptr ? variable : "/usr/bin:/bin") + ":/usr/sbin:/sbin";
    size_t start = 0;
    while (start <= directories.size()) {
        size_t end = std::min(directories.find(':', start), directories.size());
        std::string candidate = directories.substr(start, end - start) + "/" + name;
        if (end > start && isExecutable(candidate)) return candidate;
        start = end + 1;
    }
    return name;
}

}  // namespace

std::vector<std::string> environmentWith(const std::vector<std::string>& extra) {
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string text(*entry);
        bool replaced = false;
        for (const auto& added : extra) replaced = replaced || variableName(added) == variableName(text);
        if (!replaced) environment.push_back(std::move(text));
    }
    environment.insert(environment.end(), extra.begin(), extra.end());
    return environment;
}

ProcessResult runProcess(const std::vector<std::string>& arguments,
                         const std::vector<std::string>& extraEnvironment) {
    if (arguments.empty()) throw std::invalid_argument("runProcess: no program given");
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error("runProcess: pipe failed");
    FileDescriptor readEnd(ends[0]);
    FileDescriptor writeEnd(ends[1]);
    std::vector<std::string> argumentTexts = arguments;
    std::vector<std::string> environment = environmentWith(extraEnvironment);
    auto argumentPointers = pointersTo(argumentTexts);
    auto environmentPointers = pointersTo(environment);
    SpawnActions actions(writeEnd.get());
    pid_t process = 0;
    std::string program = resolveProgram(arguments[0]);
    int error = ::posix_spawn(&process, program.c_str(), actions.get(), nullptr,
                               argumentPointers.data(), environmentPointers.data());
    if (error != 0) throw std::runtime_error("cannot start " + arguments[0] + ": " + std::strerror(error));
    writeEnd.reset();  // the child holds its own copy; EOF arrives when it exits
    return waitFor(process, readUntilEnd(readEnd));
}

}  // namespace nvrtest
