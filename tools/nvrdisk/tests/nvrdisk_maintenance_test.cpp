// Runs the real nvrdisk copy and format on a sample device directory.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>

#include "disk_image_builder.h"
#include "run_process.h"

namespace nvrdisk {
namespace {

std::string readLocalFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class NvrdiskMaintenance : public ::testing::Test {
protected:
    void SetUp() override {
        scratch_ = std::make_unique<nvrtest::TempDir>("nvrdisk-maintenance");
        const auto made = nvrtest::runProcess({NVRDISK_PROGRAM, "sample", devices()});
        ASSERT_TRUE(made.succeeded()) << made.output;
    }
    std::string devices() const { return scratch_->file("devices"); }
    std::string drive(int number) const { return devices() + "/PhysicalDrive" + std::to_string(number); }
    nvrtest::ProcessResult run(std::vector<std::string> arguments) const {
        arguments.insert(arguments.begin(), {NVRDISK_PROGRAM, "--devices", devices()});
        return nvrtest::runProcess(arguments, {"HOME=" + scratch_->path()});
    }

    std::unique_ptr<nvrtest::TempDir> scratch_;
};

TEST_F(NvrdiskMaintenance, CopyWritesTheWholeDiskAndAsksForConfirmationFirst) {
    const std::string source = readLocalFile(drive(1));
    nvrtest::DeviceDirectory(devices()).addBlank(9, source.size());
    const auto unconfirmed = run({"copy", "1", "9"});
    EXPECT_FALSE(unconfirmed.succeeded());
    EXPECT_NE(unconfirmed.output.find("--yes"), std::string::npos) << unconfirmed.output;
    EXPECT_EQ(readLocalFile(drive(9)), std::string(source.size(), '\0')) << "nothing is written unconfirmed";
    const auto copied = run({"copy", "1", "9", "--yes"});
    ASSERT_TRUE(copied.succeeded()) << copied.output;
    EXPECT_NE(copied.output.find("Copied drive 1 onto drive 9"), std::string::npos) << copied.output;
    EXPECT_NE(copied.output.find("chunks"), std::string::npos) << "the status line: " << copied.output;
    EXPECT_TRUE(readLocalFile(drive(9)) == source);
    const auto refused = run({"copy", "1", "1", "--yes"});
    EXPECT_FALSE(refused.succeeded());
    EXPECT_NE(refused.output.find("TQHD_E_SAMEDISK"), std::string::npos) << refused.output;
}

TEST_F(NvrdiskMaintenance, CopyCountsAnUnreadableSourceRunAndNamesItsLog) {
    const size_t size = readLocalFile(drive(1)).size();
    nvrtest::DeviceDirectory(devices()).addBlank(9, size);
    std::ofstream(drive(1) + ".faults") << "read " << (20 << 20) / 512 << " 3\n";  // inside the third chunk
    const auto copied = run({"copy", "1", "9", "--yes"});
    ASSERT_TRUE(copied.succeeded()) << copied.output;
    EXPECT_NE(copied.output.find("bad runs 1"), std::string::npos) << copied.output;
    EXPECT_NE(copied.output.find("Bad runs are listed in " + scratch_->file("原盘.txt")), std::string::npos)
        << copied.output;
    EXPECT_EQ(copied.output.find("目标盘.txt"), std::string::npos) << "the target took every write: " << copied.output;
}

TEST_F(NvrdiskMaintenance, FormatShowsTheDiskAndLeavesItEmptyAndNameless) {
    const auto formatted = run({"format", "2", "--yes"});
    ASSERT_TRUE(formatted.succeeded()) << formatted.output;
    EXPECT_NE(formatted.output.find("Drive 2: NVR disk \"SAMPLE-NVR-01\""), std::string::npos) << formatted.output;
    EXPECT_NE(formatted.output.find("Programs using it: none"), std::string::npos) << formatted.output;
    EXPECT_NE(formatted.output.find("Formatted drive 2."), std::string::npos) << formatted.output;
    const auto listed = run({"ls", "/2/0/"});
    ASSERT_TRUE(listed.succeeded()) << listed.output;
    const auto names = run({"list"});
    EXPECT_NE(names.output.find("drive 1  \"SAMPLE-NVR-01\""), std::string::npos) << names.output;
    EXPECT_EQ(names.output.find("drive 2  \"SAMPLE-NVR-01\""), std::string::npos) << names.output;
}

}  // namespace
}  // namespace nvrdisk
