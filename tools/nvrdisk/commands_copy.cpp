// `nvrdisk copy SRC DST`: copies a whole NVR disk onto another drive through TQHD_DiskCopy, with
// a live status line, Ctrl-C as a clean stop that leaves a resume record, and the resume
// question answered by --resume / --restart or at the terminal.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "command_error.h"
#include "format.h"
#include "maintenance_commands.h"
#include "maintenance_status.h"
#include "inventory.h"
#include "library_handle.h"
#include "platform/user_folders.h"
#include "rname.h"

namespace nvrdisk {
namespace {

constexpr uint64_t kChunk = 10485760;
constexpr int32_t kQuestion = 0x4000000;
constexpr int32_t kChunkDone = 0x1000001;

struct CopyOptions {
    int source = 0;
    int target = 0;
    bool resume = false;
    bool restart = false;
    bool yes = false;
};

// A listed NVR disk's exact length, else the capacity of a listed other drive (whole MiB), as
// the disk library knows them; -1 when the drive is not listed.
int64_t driveLength(int number, TQHDC_HANDLE listed) {
    if (listed != nullptr) return TQHDC_GetFileLength(listed);
    for (const TQHD_DISK_INFO& info : readInventory().otherDrives)
        if (info.hdindex == number) return int64_t{std::max(info.lSize, 0)} << 20;
    return -1;
}

bool askYes(const std::string& question, bool defaultYes) {
    std::cerr << question << (defaultYes ? " [Y/n] " : " [y/N] ") << std::flush;
    std::string reply;
    if (!std::getline(std::cin, reply)) return false;
    if (reply.empty()) return defaultYes;
    return reply[0] == 'y' || reply[0] == 'Y';
}

// The answer to "a stopped copy reached chunk K: resume?": 1 resume, 0 start over, 10 cancel.
int32_t resumeAnswer(const CopyOptions& options, int32_t chunk) {
    if (options.resume) return 1;
    if (options.restart) return 0;
    const std::string where = humanSize(uint64_t(chunk) * kChunk);
    if (isatty(STDIN_FILENO) != 1) {
        std::cerr << "\nA stopped copy onto this drive reached " << where
                  << "; pass --resume or --restart to say how to go on.\n";
        return 10;
    }
    std::cerr << "\nA stopped copy onto this drive reached " << where << ".\n";
    if (askYes("Resume there?", true)) return 1;
    return askYes("Start again from the beginning?", false) ? 0 : 10;
}

std::string logPath(const char* name) { return platform::homeDirectory() + "/" + name; }

// The runs are the lines after the two header lines.
uint64_t runsIn(const std::string& path) {
    std::ifstream file(path);
    uint64_t lines = 0;
    for (std::string line; std::getline(file, line);) ++lines;
    return lines > 2 ? lines - 2 : 0;
}

// One bad-run log of the copy. It counts when this copy wrote it; the status line asks on every
// event, so the file is read again only when its size or time changed.
class BadRunLog {
public:
    BadRunLog(const char* name, std::time_t since) : path_(logPath(name)), since_(since) {}

    uint64_t runs() {
        struct stat status {};
        if (::stat(path_.c_str(), &status) != 0 || status.st_mtime < since_) return 0;
        if (status.st_size != size_ || status.st_mtim.tv_sec != changed_.tv_sec ||
            status.st_mtim.tv_nsec != changed_.tv_nsec) {
            size_ = status.st_size;
            changed_ = status.st_mtim;
            runs_ = runsIn(path_);
        }
        return runs_;
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::time_t since_;
    off_t size_ = -1;
    timespec changed_{};
    uint64_t runs_ = 0;
};

struct CopyProgress {
    uint64_t chunks = 0;
    uint64_t chunksDone = 0;
    uint64_t startChunk = UINT64_MAX;
};

void apply(CopyProgress& progress, int32_t value) {
    if (value >= kChunkDone && value < 0x2000000) {
        const uint64_t index = uint64_t(value - kChunkDone);
        if (progress.startChunk == UINT64_MAX) progress.startChunk = index;
        progress.chunksDone = index + 1;
    } else if (value > 0 && value < 0x1000000) {
        progress.chunks = uint64_t(value);
    }
}

int32_t runCopy(TQHDC_HANDLE runner, const CopyOptions& options, uint64_t sourceSize) {
    WorkerWatch watch(runner, TQHD_EVENT_COPY_DONE);
    watch.answer = [&options](int32_t value) {
        return (value & kQuestion) != 0 ? resumeAnswer(options, value - kQuestion) : value;
    };
    int32_t started = 1;
    const LibraryHandle job(TQHDC_DiskCopy(options.source, options.target, &started));
    if (started != TQHD_OK) throw CommandError("the copy did not start", started);
    catchInterrupt();
    const bool live = isatty(STDERR_FILENO) == 1;
    const std::time_t since = std::time(nullptr) - 1;
    BadRunLog logs[] = {{"原盘.txt", since}, {"目标盘.txt", since}};
    const auto begin = std::chrono::steady_clock::now();
    CopyProgress progress;
    bool stopping = false;
    std::string line;
    while (!watch.done()) {
        watch.waitForEvent(250);
        for (int32_t value : watch.takeProgress()) apply(progress, value);
        if (interrupted() && !stopping) {
            stopping = true;
            TQHDC_Stop(job ? job.get() : runner);
            std::cerr << "\nStopping after the current chunk...\n";
        }
        const uint64_t position = std::min(progress.chunksDone * kChunk, sourceSize);
        const uint64_t first = progress.startChunk == UINT64_MAX ? 0 : progress.startChunk * kChunk;
        const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        const uint64_t badRuns = logs[0].runs() + logs[1].runs();
        line = copyStatusLine(position, sourceSize, elapsed, position > first ? position - first : 0,
                              progress.chunksDone, progress.chunks, badRuns);
        if (live) std::fprintf(stderr, "\r%s   ", line.c_str());
    }
    std::fprintf(stderr, live ? "\r%s   \n" : "%s\n", line.c_str());
    for (BadRunLog& log : logs) {
        if (log.runs() > 0) std::cout << "Bad runs are listed in " << log.path() << "\n";
    }
    return watch.result();
}

void copyDrives(const CopyOptions& options) {
    const LibraryHandle source(TQHDC_OpenHardDiskByRName(drivePrefix(options.source).c_str()));
    if (!source) throw CommandError("drive " + std::to_string(options.source) + " is not a listed NVR disk");
    const LibraryHandle target(TQHDC_OpenHardDiskByRName(drivePrefix(options.target).c_str()));
    const int64_t sourceSize = TQHDC_GetFileLength(source.get());
    const int64_t targetSize = driveLength(options.target, target.get());
    std::cout << "Copy drive " << options.source << " (" << humanSize(uint64_t(std::max<int64_t>(sourceSize, 0)))
              << ") onto drive " << options.target << " ("
              << (targetSize < 0 ? std::string("size unknown") : humanSize(uint64_t(targetSize)))
              << "); everything on drive " << options.target << " is overwritten.\n";
    if (!options.yes) {
        if (isatty(STDIN_FILENO) != 1) throw CommandError("not confirmed: pass --yes to copy without asking");
        if (!askYes("Go on?", false)) throw CommandError("cancelled");
    }
    const int32_t result =
        runCopy(target ? target.get() : source.get(), options, uint64_t(std::max<int64_t>(sourceSize, 0)));
    if (result == TQHD_E_STOPPED) {
        std::cout << "Stopped. Drive " << options.target
                  << " keeps a resume record: the same copy again resumes (--resume).\n";
        throw CommandError("the copy was stopped", result);
    }
    if (result != TQHD_OK) throw CommandError("the copy failed", result);
    std::cout << "Copied drive " << options.source << " onto drive " << options.target << ".\n";
}

}  // namespace

void addCopyCommand(CLI::App& app, std::function<void()>& chosen) {
    static CopyOptions options;
    CLI::App* command = app.add_subcommand("copy", "Copy a whole NVR disk onto another drive (Ctrl-C stops; run again to resume)");
    command->add_option("SRC", options.source, "Source drive number (a listed NVR disk)")->required();
    command->add_option("DST", options.target, "Target drive number; overwritten")->required();
    auto* resume = command->add_flag("--resume", options.resume, "Resume a stopped copy without asking");
    command->add_flag("--restart", options.restart, "Start a stopped copy again from the beginning without asking")
        ->excludes(resume);
    command->add_flag("--yes", options.yes, "Do not ask before overwriting the target");
    command->callback([&chosen] { chosen = [] { copyDrives(options); }; });
}

}  // namespace nvrdisk
