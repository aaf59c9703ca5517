// A test program on the device-directory main(), run by fixture_tests. Every run writes the
// directory it was given to $NVRDISK_PROBE_REPORT, so the caller can check it was removed.
#include "device_dir_env.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

class ReportDirectory : public testing::Environment {
public:
    void SetUp() override {
        const char* report = std::getenv("NVRDISK_PROBE_REPORT");
        if (report != nullptr) std::ofstream(report) << nvrtest::testDeviceDirectory();
    }
};

testing::Environment* const reporter = testing::AddGlobalTestEnvironment(new ReportDirectory);

TEST(DeviceDirProbe, GetsAFreshEmptyDirectory) {
    std::string directory = nvrtest::testDeviceDirectory();
    EXPECT_TRUE(std::filesystem::is_directory(directory));
    EXPECT_TRUE(std::filesystem::is_empty(directory));
    EXPECT_STREQ(std::getenv("NVRDISK_TEST_CHILD"), "1");
}

TEST(DeviceDirProbe, DISABLED_Fails) { FAIL() << "failing on purpose"; }

TEST(DeviceDirProbe, DISABLED_Crashes) { std::abort(); }

}  // namespace
