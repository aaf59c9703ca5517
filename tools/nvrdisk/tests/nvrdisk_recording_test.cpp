// Recordings through the real nvrdisk on a sample device directory: every sample recording
// exports to the expected bytes and passes the frame check, info and ls show its times and
// lengths, probe answers in words.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "disk_image_builder.h"
#include "run_process.h"
#include "sample_recordings.h"

namespace nvrdisk {
namespace {

std::vector<uint8_t> readLocalFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

uint64_t entriesOf(const nvrtest::RecordingPlan& recording) {
    return (nvrtest::expectedIndxTable(recording).size() - 16) / 20;
}

class NvrdiskRecordings : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        scratch_ = std::make_unique<nvrtest::TempDir>("nvrdisk-recordings");
        const auto made = nvrtest::runProcess({NVRDISK_PROGRAM, "sample", scratch_->file("devices")});
        ASSERT_TRUE(made.succeeded()) << made.output;
    }
    static void TearDownTestSuite() { scratch_.reset(); }

    static nvrtest::ProcessResult run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {NVRDISK_PROGRAM, "--devices", scratch_->file("devices")});
        return nvrtest::runProcess(arguments);
    }
    static std::string outputFile(const std::string& name) { return scratch_->file(name); }

private:
    static inline std::unique_ptr<nvrtest::TempDir> scratch_;
};

TEST_F(NvrdiskRecordings, EverySampleRecordingExportsToItsExpectedBytesAndPassesTheFrameCheck) {
    const auto recordings = sampleRecordings();
    ASSERT_EQ(recordings.size(), 4u);
    for (const nvrtest::RecordingPlan& recording : recordings) {
        SCOPED_TRACE(recording.indexPath);
        const std::string target = outputFile("export.264");
        const auto exported = run({"export", "/1/0/" + recording.indexPath, target});
        ASSERT_TRUE(exported.succeeded()) << exported.output;
        EXPECT_EQ(readLocalFile(target), nvrtest::expectedStream(recording));
        const auto checked = nvrtest::runProcess({NVRDISK_PROGRAM, "check", target});
        EXPECT_TRUE(checked.succeeded()) << checked.output;
    }
}

TEST_F(NvrdiskRecordings, InfoShowsTimesLengthsUnitsAndEntries) {
    const nvrtest::RecordingPlan recording = sampleRecordings()[2];
    const auto shown = run({"info", "/1/0/" + recording.indexPath});
    ASSERT_TRUE(shown.succeeded()) << shown.output;
    const uint64_t stream = nvrtest::expectedStream(recording).size();
    for (const std::string& line :
         {std::string("begin           2026-03-11 08:10:00"), std::string("end             2026-03-11 08:14:59"),
          "stream length   " + std::to_string(stream), "payload length  " + std::to_string(recording.payloadLength),
          "units           " + std::to_string(recording.dataUnits.size()),
          "index entries   " + std::to_string(entriesOf(recording))})
        EXPECT_NE(shown.output.find(line), std::string::npos) << line << "\n" << shown.output;
}

TEST_F(NvrdiskRecordings, LsMarksRecordingsWithTheirTimes) {
    const auto listed = run({"ls", "/1/0/record/"});
    ASSERT_TRUE(listed.succeeded()) << listed.output;
    EXPECT_NE(listed.output.find("rec "), std::string::npos) << listed.output;
    EXPECT_NE(listed.output.find("ch1-20260311-080000.nvr  2026-03-11 08:00:00 - 08:04:59"), std::string::npos)
        << listed.output;
    const auto root = run({"ls", "/1/0/"});
    EXPECT_EQ(root.output.find("rec "), std::string::npos) << "no index files at the root: " << root.output;
}

TEST_F(NvrdiskRecordings, FailuresAreReported) {
    struct Case {
        std::vector<std::string> arguments;
        const char* message;
    } cases[] = {
        {{"export", "/1/0/README.txt", outputFile("x")}, "no recording /1/0/README.txt"},
        {{"export", "/1/0/record/missing.nvr", outputFile("x")}, "no recording"},
        {{"export", "/1/0/" + sampleRecordings().front().indexPath, "/nonexistent/out.264"},
         "cannot create /nonexistent/out.264"},
        {{"info", "/1/0/README.txt"}, "is not an .nvr index file"},
        {{"info", "/1/0/record/missing.nvr"}, "no file /1/0/record/missing.nvr"},
    };
    for (const Case& entry : cases) {
        const auto result = run(entry.arguments);
        EXPECT_FALSE(result.succeeded()) << entry.arguments[0];
        EXPECT_NE(result.output.find(entry.message), std::string::npos) << result.output;
    }
}

TEST_F(NvrdiskRecordings, ProbeAnswersInWords) {
    struct Case {
        const char* drive;
        const char* answer;
    } cases[] = {
        {"1", "drive 1: 2 an NVR disk"},
        {"2", "drive 2: 3 a disk with a valid boot record but no raw data area"},
        {"3", "drive 3: 1 cannot be opened, or has no valid boot record"},
        {"9", "drive 9: 1"},
    };
    for (const Case& entry : cases) {
        const auto result = run({"probe", entry.drive});
        ASSERT_TRUE(result.succeeded()) << result.output;
        EXPECT_NE(result.output.find(entry.answer), std::string::npos) << result.output;
    }
}

}  // namespace
}  // namespace nvrdisk
