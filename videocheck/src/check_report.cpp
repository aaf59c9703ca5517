// The check run without a window: results as text lines or one JSON document.
#include "videocheck/check_report.h"

#include <filesystem>
#include <memory>
#include <system_error>
#include <vector>

#include <json/json.h>

#include "videocheck/frame_check.h"
#include "videocheck/result_text.h"
#include "videocheck/video_files.h"

namespace videocheck {
namespace {

struct Tally {
    int files = 0;
    int passed = 0;
    int failed = 0;
    int unreadable = 0;

    void add(CheckCode code) {
        ++files;
        if (code == CheckCode::Success) ++passed;
        else if (code == CheckCode::ReadFailure) ++unreadable;
        else ++failed;
    }
    bool allPassed() const { return passed == files; }
};

bool isSomethingToCheck(const std::string& path) {
    if (hasVideoExtension(path)) return true;
    std::error_code error;
    std::filesystem::directory_iterator listing(path, error);
    return !error;
}

Json::Value fileRecord(const std::string& path, CheckCode code) {
    Json::Value record(Json::objectValue);
    record["path"] = path;
    record["name"] = fileNameOf(path);
    record["code"] = static_cast<int>(code);
    record["key"] = resultText(code).key;
    record["text"] = resultText(code).defaultText;
    return record;
}

Json::Value summaryRecord(const Tally& tally) {
    Json::Value summary(Json::objectValue);
    summary["files"] = tally.files;
    summary["passed"] = tally.passed;
    summary["failed"] = tally.failed;
    summary["unreadable"] = tally.unreadable;
    return summary;
}

void writeJson(const Json::Value& document, std::ostream& out) {
    Json::StreamWriterBuilder builder;
    builder["emitUTF8"] = true;
    builder["indentation"] = "  ";
    const std::unique_ptr<Json::StreamWriter> writer(builder.newStreamWriter());
    writer->write(document, &out);
    out << '\n';
}

}  // namespace

int writeCheckReport(const std::string& path, ReportFormat format, std::ostream& out, std::ostream& error) {
    if (!isSomethingToCheck(path)) {
        error << path << ": not a .264/.265 file name nor a readable directory\n";
        return kReportNothingToCheck;
    }
    Tally tally;
    Json::Value files(Json::arrayValue);
    for (const std::string& file : collectVideoFiles(path)) {
        const CheckCode code = checkFile(file);
        tally.add(code);
        if (format == ReportFormat::Json) files.append(fileRecord(file, code));
        else out << file << '\t' << resultText(code).defaultText << std::endl;  // one line as each file ends
    }
    if (format == ReportFormat::Json) {
        Json::Value document(Json::objectValue);
        document["path"] = path;
        document["files"] = files;
        document["summary"] = summaryRecord(tally);
        document["passed"] = tally.allPassed();
        writeJson(document, out);
    } else {
        out << tally.files << " files: " << tally.passed << " passed, " << tally.failed << " failed, "
            << tally.unreadable << " unreadable\n";
    }
    return tally.allPassed() ? kReportAllPassed : kReportSomeFailed;
}

}  // namespace videocheck
