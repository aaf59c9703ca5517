// Runs a program (its output discarded) and prints what it cost: wall-clock seconds, the bytes it
// handed to write calls and the bytes it dirtied for the storage layer, read from the kernel's
// accounting of the finished process before it is reaped.
//   measured_run PROGRAM [ARGUMENT...]   ->   "<seconds> <written bytes> <storage bytes>"
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>

namespace {

std::map<std::string, unsigned long long> processIo(pid_t process) {
    std::map<std::string, unsigned long long> fields;
    std::ifstream io("/proc/" + std::to_string(process) + "/io");
    std::string name;
    unsigned long long value = 0;
    while (io >> name >> value) fields[name.substr(0, name.size() - 1)] = value;
    return fields;
}

pid_t start(char** argv) {
    const pid_t child = fork();
    if (child != 0) return child;
    const int quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, STDOUT_FILENO);
    dup2(quiet, STDERR_FILENO);
    execvp(argv[0], argv);
    _exit(127);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s PROGRAM [ARGUMENT...]\n", argv[0]);
        return 2;
    }
    const auto began = std::chrono::steady_clock::now();
    const pid_t child = start(argv + 1);
    siginfo_t info{};
    // WNOWAIT leaves the finished child unreaped, so its accounting can still be read.
    if (child < 0 || waitid(P_PID, child, &info, WEXITED | WNOWAIT) != 0) return 1;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    auto io = processIo(child);
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "measured_run: %s failed\n", argv[1]);
        return 1;
    }
    std::printf("%.6f %llu %llu\n", seconds, io["wchar"], io["write_bytes"]);
    return 0;
}
