// A copy's list of bad runs: a text file in the user's home directory, created with its header
// at its first use in a copy and appended to afterwards. A log that cannot be opened is skipped;
// the copy goes on without it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace drelmo {

// A run of bad sectors: its byte position on the drive and its length in bytes.
struct BadRun {
    uint64_t position = 0;
    uint64_t length = 0;
    bool active() const { return length != 0; }
};

class BadRunLog {
public:
    // The source log "原盘.txt" and the target log "目标盘.txt" in the home directory.
    static BadRunLog sourceLog();
    static BadRunLog targetLog();
    BadRunLog(std::string path, std::string header);

    // Opens the file for one pass: anew with its header at the first pass of the copy.
    void open();
    void close() { file_.reset(); }
    // Appends "position, length" for a run that is active, and clears it.
    void finishRun(BadRun& run);
    const std::string& path() const { return path_; }

private:
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    std::string path_;
    std::string header_;
    bool started_ = false;
    std::unique_ptr<std::FILE, Closer> file_;
};

// Keeps a log open for the length of a pass.
class OpenLog {
public:
    explicit OpenLog(BadRunLog& log) : log_(log) { log_.open(); }
    ~OpenLog() { log_.close(); }
    OpenLog(const OpenLog&) = delete;
    OpenLog& operator=(const OpenLog&) = delete;

private:
    BadRunLog& log_;
};

}  // namespace drelmo
