// main() for test programs that use the disk library. The library starts watching its device
// directory as soon as it is loaded, so the directory has to be in the environment before the
// program starts: the first run makes a fresh directory and runs the program again with
// NVRDISK_DEVICE_DIR naming it, then removes it. Listing the tests needs no directory.
#include "device_dir_env.h"
#include "disk_image_builder.h"
#include "run_process.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

volatile sig_atomic_t childProcess = 0;

// Passes Ctrl-C or a termination on to the test run, so that this process outlives it and can
// still remove the directory.
void forwardSignal(int signalNumber) {
    if (childProcess > 0) ::kill(childProcess, signalNumber);
}

void setHandler(int signalNumber, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    ::sigaction(signalNumber, &action, nullptr);
}

bool onlyListsTests(int argc, char** argv) {
    for (int index = 1; index < argc; ++index)
        if (std::strncmp(argv[index], "--gtest_list_tests", 18) == 0) return true;
    return false;
}

// Runs in the forked process: only async-signal-safe calls until execve.
[[noreturn]] void execAgain(pid_t parent, char** argv, char** environment) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlive a parent that was killed
    if (::getppid() != parent) ::_exit(1);
    ::execve("/proc/self/exe", argv, environment);
    const char message[] = "cannot run the test program again from /proc/self/exe\n";
    ssize_t ignored = ::write(2, message, sizeof message - 1);
    (void)ignored;
    ::_exit(127);
}

int waitForChild(pid_t child) {
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    int signalNumber = WTERMSIG(status);
    std::fprintf(stderr, "test program ended by signal %d (%s)\n", signalNumber, strsignal(signalNumber));
    return 128 + signalNumber;
}

int runWithDeviceDirectory(char** argv) {
    nvrtest::TempDir directory("nvrdisk-devices");
    std::vector<std::string> environment =
        nvrtest::environmentWith({"NVRDISK_DEVICE_DIR=" + directory.path(), "NVRDISK_TEST_CHILD=1"});
    std::vector<char*> pointers;
    for (auto& entry : environment) pointers.push_back(entry.data());
    pointers.push_back(nullptr);
    pid_t parent = ::getpid();
    pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) execAgain(parent, argv, pointers.data());
    childProcess = child;
    setHandler(SIGINT, forwardSignal);
    setHandler(SIGTERM, forwardSignal);
    return waitForChild(child);
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("NVRDISK_TEST_CHILD") == nullptr && !onlyListsTests(argc, argv)) {
        try {
            return runWithDeviceDirectory(argv);
        } catch (const std::exception& error) {
            std::fprintf(stderr, "cannot prepare the device directory: %s\n", error.what());
            return 1;
        }
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
