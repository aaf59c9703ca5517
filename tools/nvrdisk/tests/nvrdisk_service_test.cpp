// nvrdisk as an ordinary user sees it: its device directory has no drive 0, so every command goes
// through a real halvex serving the sample disks, and prints what it prints directly.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <thread>

#include "disk_image_builder.h"
#include "run_process.h"
#include "running_program.h"
#include "sample_recordings.h"

namespace nvrdisk {
namespace {

std::string readLocalFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

bool exists(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

class NvrdiskThroughTheService : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        scratch_ = std::make_unique<nvrtest::TempDir>("nvrdisk-service");
        const auto made = nvrtest::runProcess({NVRDISK_PROGRAM, "sample", devices()});
        ASSERT_TRUE(made.succeeded()) << made.output;
        nvrtest::DeviceDirectory(devices()).addBlank(9, 64 << 20);
        std::error_code ignored;
        std::filesystem::create_directories(scratch_->file("user-devices"), ignored);
        service_ = std::make_unique<testing::RunningProgram>(std::vector<std::string>{
            "/usr/bin/env", "NVRDISK_DEVICE_DIR=" + devices(), HALVEX_PROGRAM, "--runtime-dir", runtime()});
        // A guard against a service that never comes up, not a timing check.
        for (int step = 0; step < 3000 && !exists(runtime() + "/TQ_CS_SVC_CM_SH_CLASS"); ++step)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_TRUE(exists(runtime() + "/TQ_CS_SVC_CM_SH_CLASS")) << service_->output();
    }
    static void TearDownTestSuite() {
        if (service_) service_->stop(SIGTERM);
        service_.reset();
        scratch_.reset();
    }

    static std::string devices() { return scratch_->file("devices"); }
    static std::string runtime() { return scratch_->file("runtime"); }
    static std::string output(const std::string& name) { return scratch_->file(name); }

    // Runs nvrdisk directly (the sample directory has drive 0) or as an ordinary user would
    // (a device directory without drive 0, the service's runtime directory).
    static nvrtest::ProcessResult run(bool throughService, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(),
                         {NVRDISK_PROGRAM, "--devices", throughService ? scratch_->file("user-devices") : devices()});
        return nvrtest::runProcess(arguments, {"NVRDISK_RUNTIME_DIR=" + runtime(), "HOME=" + scratch_->path()});
    }

    static std::unique_ptr<nvrtest::TempDir> scratch_;
    static std::unique_ptr<testing::RunningProgram> service_;
};

std::unique_ptr<nvrtest::TempDir> NvrdiskThroughTheService::scratch_;
std::unique_ptr<testing::RunningProgram> NvrdiskThroughTheService::service_;

TEST_F(NvrdiskThroughTheService, EveryReadingCommandPrintsWhatItPrintsDirectly) {
    const std::string recording = "/1/0/" + sampleRecordings()[0].indexPath;
    const std::vector<std::vector<std::string>> commands = {
        {"list"},
        {"ls", "/1/"},
        {"ls", "/1/0/"},
        {"ls", "/1/0/record/"},
        {"ls", "/1/0/many/"},
        {"ls", "/1/0/docs/notes.txt"},
        {"cat", "/1/0/docs/notes.txt"},
        {"info", recording},
        {"ls", "/7/0/"},
        {"cat", "/1/0/no-such-file"},
        {"info", "/1/0/README.txt"},
    };
    for (const auto& command : commands) {
        const auto direct = run(false, command);
        const auto served = run(true, command);
        EXPECT_EQ(served.exitCode, direct.exitCode) << command[0] << " " << command.back();
        EXPECT_EQ(served.output, direct.output) << command[0] << " " << command.back();
    }
}

TEST_F(NvrdiskThroughTheService, DumpAndExportWriteTheSameBytes) {
    const std::string recording = "/1/0/" + sampleRecordings()[2].indexPath;
    const std::vector<std::vector<std::string>> commands = {
        {"dump", "/1/0/data/pattern-2m.bin"},
        {"dump", "/2/"},
        {"export", recording},
    };
    for (auto command : commands) {
        command.push_back(output("direct.out"));
        const auto direct = run(false, command);
        command.back() = output("served.out");
        const auto served = run(true, command);
        ASSERT_TRUE(direct.succeeded()) << direct.output;
        ASSERT_TRUE(served.succeeded()) << served.output;
        EXPECT_TRUE(readLocalFile(output("served.out")) == readLocalFile(output("direct.out"))) << command[1];
    }
}

TEST_F(NvrdiskThroughTheService, StatusSaysTheServiceAnswers) {
    const auto served = run(true, {"status"});
    ASSERT_TRUE(served.succeeded()) << served.output;
    EXPECT_NE(served.output.find("mode     service"), std::string::npos) << served.output;
    EXPECT_NE(served.output.find("service  answers at " + runtime()), std::string::npos) << served.output;
    const auto direct = run(false, {"status"});
    EXPECT_NE(direct.output.find("mode     direct"), std::string::npos) << direct.output;
}

TEST_F(NvrdiskThroughTheService, CopyAndFormatRunThroughTheService) {
    const auto copied = run(true, {"copy", "1", "9", "--yes"});
    ASSERT_TRUE(copied.succeeded()) << copied.output;
    EXPECT_NE(copied.output.find("Copied drive 1 onto drive 9."), std::string::npos) << copied.output;
    const std::string source = readLocalFile(devices() + "/PhysicalDrive1");
    EXPECT_TRUE(readLocalFile(devices() + "/PhysicalDrive9").compare(0, source.size(), source) == 0);
    const auto formatted = run(true, {"format", "2", "--yes"});
    ASSERT_TRUE(formatted.succeeded()) << formatted.output;
    EXPECT_NE(formatted.output.find("Programs using it: none"), std::string::npos) << formatted.output;
    EXPECT_NE(formatted.output.find("Formatted drive 2."), std::string::npos) << formatted.output;
    const auto listed = run(true, {"list"});
    EXPECT_EQ(listed.output.find("drive 2  \"SAMPLE-NVR-01\""), std::string::npos) << listed.output;
}

}  // namespace
}  // namespace nvrdisk
