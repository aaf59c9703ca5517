#include "bad_run_log.h"

#include <cinttypes>

#include "platform/user_folders.h"

namespace drelmo {

namespace {

std::string inHome(const char* name) {
    const std::string home = platform::homeDirectory();
    return home.empty() ? std::string() : home + "/" + name;
}

}  // namespace

BadRunLog BadRunLog::sourceLog() {
    return BadRunLog(inHome("原盘.txt"), "原盘坏块记录：\n坏块位置(字节), 坏块长度(字节)\n");
}

BadRunLog BadRunLog::targetLog() {
    return BadRunLog(inHome("目标盘.txt"), "目标盘坏块记录：\n坏块位置(字节), 坏块长度(字节)\n");
}

BadRunLog::BadRunLog(std::string path, std::string header) : path_(std::move(path)), header_(std::move(header)) {}

void BadRunLog::open() {
    file_.reset();
    if (path_.empty()) return;
    if (!started_) {
        file_.reset(std::fopen(path_.c_str(), "w"));
        if (!file_) return;
        std::fputs(header_.c_str(), file_.get());
        started_ = true;
        return;
    }
    file_.reset(std::fopen(path_.c_str(), "a"));
}

void BadRunLog::finishRun(BadRun& run) {
    if (!run.active()) return;
    if (file_) std::fprintf(file_.get(), "%" PRIu64 ", %" PRIu64 "\n", run.position, run.length);
    run = BadRun{};
}

}  // namespace drelmo
