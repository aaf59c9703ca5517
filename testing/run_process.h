// Runs an external program (mke2fs, e2fsck, debugfs, a test program) and captures what it prints.
#pragma once

#include <string>
#include <vector>

namespace nvrtest {

struct ProcessResult {
    int exitCode = -1;        // the exit status; -1 when the program ended by a signal
    int signal = 0;           // the ending signal, or 0
    std::string output;       // standard output and standard error, interleaved as written
    bool succeeded() const { return signal == 0 && exitCode == 0; }
};

// Starts arguments[0] (searched in PATH, then /usr/sbin and /sbin) with the rest as its arguments, standard input from
// /dev/null, and the current environment plus `extraEnvironment` ("NAME=value", replacing a
// variable of the same name). Throws std::runtime_error when the program cannot be started.
ProcessResult runProcess(const std::vector<std::string>& arguments,
                         const std::vector<std::string>& extraEnvironment = {});

// The environment of this process with `extra` ("NAME=value") replacing or adding variables.
std::vector<std::string> environmentWith(const std::vector<std::string>& extra);

}  // namespace nvrtest
