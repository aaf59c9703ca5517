// A program started in the background whose output a test reads line by line (for `watch`).
#pragma once

#include <chrono>
#include <string>
#include <sys/types.h>
#include <vector>

namespace nvrdisk::testing {

class RunningProgram {
public:
    // Starts arguments[0] with standard output and standard error on one pipe.
    explicit RunningProgram(const std::vector<std::string>& arguments);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    // Reads until a line containing `text` arrives; false when the program ends or `limit`
    // passes first (a guard against hanging, not a timing check). The lines read so far are
    // kept in output().
    bool waitForLine(const std::string& text, std::chrono::seconds limit = std::chrono::seconds(60));
    // Sends a signal and waits for the end; returns the exit status, or -1 after a signal.
    int stop(int signal);
    const std::string& output() const { return output_; }

private:
    bool readMore(std::chrono::steady_clock::time_point deadline);

    pid_t pid_ = -1;
    int readEnd_ = -1;
    std::string output_;
    size_t scanned_ = 0;
};

}  // namespace nvrdisk::testing
