#include "service_process.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "run_process.h"

namespace clienttest {
namespace {

bool exists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

}  // namespace

ServiceProcess::ServiceProcess(const std::string& program, const std::string& deviceDirectory,
                               const std::string& runtimeDirectory) {
    const std::vector<std::string> environment = nvrtest::environmentWith(
        {"NVRDISK_DEVICE_DIR=" + deviceDirectory, "NVRDISK_RUNTIME_DIR=" + runtimeDirectory});
    std::vector<char*> variables;
    for (const std::string& variable : environment) variables.push_back(const_cast<char*>(variable.c_str()));
    variables.push_back(nullptr);
    char* arguments[] = {const_cast<char*>(program.c_str()), nullptr};
    pid_ = fork();
    if (pid_ < 0) throw std::runtime_error("cannot start " + program);
    if (pid_ == 0) {
        execve(program.c_str(), arguments, variables.data());
        _exit(127);
    }
    // A guard against a service that never comes up, not a timing check.
    const std::string socket = runtimeDirectory + "/TQ_CS_SVC_CM_SH_CLASS";
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!exists(socket)) {
        if (std::chrono::steady_clock::now() > deadline || waitpid(pid_, nullptr, WNOHANG) == pid_)
            throw std::runtime_error("the service did not open " + socket);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

ServiceProcess::~ServiceProcess() {
    if (pid_ > 0) stop();
}

int ServiceProcess::stop() {
    if (pid_ <= 0) return -1;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace clienttest
