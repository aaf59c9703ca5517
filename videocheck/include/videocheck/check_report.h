// A check run without a window, for terminals and scripts (`nvrdisk check PATH [--json]`).
#pragma once

#include <ostream>
#include <string>

namespace videocheck {

enum class ReportFormat { Text, Json };

// Exit statuses of a report run.
constexpr int kReportAllPassed = 0;
constexpr int kReportSomeFailed = 1;   // a file failed its check or could not be read
constexpr int kReportNothingToCheck = 2;  // PATH is neither a video file name nor a readable directory

// Checks every file that collectVideoFiles(path) finds and writes the report to `out`:
//  Text: one line per file as it is checked, "<path>\t<result text>", then a summary line
//        "<n> files: <p> passed, <f> failed, <u> unreadable".
//  Json: one object {"path", "files": [{"path","name","code","key","text"}...],
//        "summary": {"files","passed","failed","unreadable"}, "passed"}.
// Problems with PATH itself go to `error`. Returns one of the exit statuses above.
int writeCheckReport(const std::string& path, ReportFormat format, std::ostream& out, std::ostream& error);

}  // namespace videocheck
