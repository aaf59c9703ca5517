// The device-directory main(): a fresh directory per run, removed afterwards, and the run's
// outcome passed on as the exit status.
#include "disk_image_builder.h"

#include "image_reading.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

namespace nvrtest {
namespace {

struct ProbeCase {
    const char* name;
    std::vector<std::string> arguments;
    int exitCode;
};

void PrintTo(const ProbeCase& value, std::ostream* out) { *out << value.name; }

class DeviceDirMainTest : public ::testing::TestWithParam<ProbeCase> {
protected:
    TempDir scratch_;
};

TEST_P(DeviceDirMainTest, RunsInAFreshDirectoryAndRemovesIt) {
    std::string report = scratch_.file("report");
    std::vector<std::string> arguments = {DEVICE_DIR_PROBE};
    arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
    ProcessResult run = runProcess(arguments, {"NVRDISK_PROBE_REPORT=" + report});
    EXPECT_EQ(run.exitCode, GetParam().exitCode) << run.output;
    EXPECT_EQ(run.signal, 0);
    std::vector<uint8_t> reported = readWholeFile(report);
    std::string directory(reported.begin(), reported.end());
    ASSERT_FALSE(directory.empty()) << run.output;
    EXPECT_FALSE(std::filesystem::exists(directory)) << directory;
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, DeviceDirMainTest,
    ::testing::Values(
        ProbeCase{"Passing", {"--gtest_filter=DeviceDirProbe.GetsAFreshEmptyDirectory"}, 0},
        ProbeCase{"Failing", {"--gtest_also_run_disabled_tests", "--gtest_filter=*DISABLED_Fails"}, 1},
        ProbeCase{"Crashing", {"--gtest_also_run_disabled_tests", "--gtest_filter=*DISABLED_Crashes"}, 128 + SIGABRT}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DeviceDirMainListing, ListsTestsWithoutRunningThem) {
    TempDir scratch;
    std::string report = scratch.file("report");
    ProcessResult run = runProcess({DEVICE_DIR_PROBE, "--gtest_list_tests"}, {"NVRDISK_PROBE_REPORT=" + report});
    EXPECT_TRUE(run.succeeded()) << run.output;
    EXPECT_NE(run.output.find("GetsAFreshEmptyDirectory"), std::string::npos) << run.output;
    EXPECT_FALSE(std::filesystem::exists(report));
}

}  // namespace
}  // namespace nvrtest
