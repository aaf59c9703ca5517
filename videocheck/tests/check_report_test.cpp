// The check run without a window: text and JSON reports and their exit statuses.
#include <sstream>

#include <json/json.h>
#include <gtest/gtest.h>

#include "frame_builder.h"
#include "temp_directory.h"
#include "videocheck/check_report.h"

namespace {

using namespace videocheck_test;
using videocheck::ReportFormat;

std::string asText(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

std::string goodFile() {
    Bytes file;
    appendFrame(file, filled(4, 1), 4);
    return asText(file);
}

std::string badFile() {
    Bytes file;
    appendFrame(file, filled(4, 1), 5);
    return asText(file);
}

struct Report {
    int status;
    std::string out;
    std::string error;
};

Report run(const std::string& path, ReportFormat format) {
    std::ostringstream out;
    std::ostringstream error;
    const int status = videocheck::writeCheckReport(path, format, out, error);
    return {status, out.str(), error.str()};
}

TEST(CheckReport, TextLinePerFileAndSummary) {
    TempDirectory directory;
    const std::string good = directory.write("good.264", goodFile());
    const Report report = run(good, ReportFormat::Text);
    EXPECT_EQ(report.status, videocheck::kReportAllPassed);
    EXPECT_EQ(report.out, good + "\t校验成功\n1 files: 1 passed, 0 failed, 0 unreadable\n");
}

TEST(CheckReport, AnyFailureOrUnreadableFileFailsTheRun) {
    TempDirectory directory;
    directory.write("a/good.264", goodFile());
    directory.write("a/bad.265", badFile());
    directory.write("a/empty.264", "");
    const Report report = run(directory.path() + "/a", ReportFormat::Text);
    EXPECT_EQ(report.status, videocheck::kReportSomeFailed);
    EXPECT_NE(report.out.find("/a/bad.265\t校验失败\n"), std::string::npos);
    EXPECT_NE(report.out.find("/a/empty.264\t读取文件失败\n"), std::string::npos);
    EXPECT_NE(report.out.find("3 files: 1 passed, 1 failed, 1 unreadable\n"), std::string::npos);
}

TEST(CheckReport, JsonDocumentHasEveryFileAndTheSummary) {
    TempDirectory directory;
    directory.write("bad.264", badFile());
    const Report report = run(directory.path(), ReportFormat::Json);
    EXPECT_EQ(report.status, videocheck::kReportSomeFailed);
    Json::Value document;
    std::istringstream input(report.out);
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), input, &document, nullptr)) << report.out;
    ASSERT_EQ(document["files"].size(), 1u);
    const Json::Value& file = document["files"][0];
    EXPECT_EQ(file["path"].asString(), directory.path() + "/bad.264");
    EXPECT_EQ(file["name"].asString(), "bad.264");
    EXPECT_EQ(file["code"].asInt(), 2);
    EXPECT_EQ(file["key"].asString(), "CheckFailure");
    EXPECT_EQ(file["text"].asString(), "校验失败");
    EXPECT_EQ(document["summary"]["failed"].asInt(), 1);
    EXPECT_FALSE(document["passed"].asBool());
}

TEST(CheckReport, EmptyDirectoryPassesWithNoFiles) {
    TempDirectory directory;
    const Report report = run(directory.path(), ReportFormat::Text);
    EXPECT_EQ(report.status, videocheck::kReportAllPassed);
    EXPECT_EQ(report.out, "0 files: 0 passed, 0 failed, 0 unreadable\n");
}

TEST(CheckReport, PathThatNamesNothingToCheckIsAnError) {
    TempDirectory directory;
    const std::string text = directory.write("notes.txt", "x");
    for (const std::string& path : {directory.path() + "/missing", text}) {
        SCOPED_TRACE(path);
        const Report report = run(path, ReportFormat::Text);
        EXPECT_EQ(report.status, videocheck::kReportNothingToCheck);
        EXPECT_EQ(report.out, "");
        EXPECT_NE(report.error.find(path), std::string::npos);
    }
}

}  // namespace
