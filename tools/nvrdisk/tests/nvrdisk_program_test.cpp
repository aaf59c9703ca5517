// Runs the real nvrdisk on the sample device directory and checks what users see.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <regex>

#include "disk_image_builder.h"
#include "run_process.h"
#include "sample_disks.h"

namespace nvrdisk {
namespace {

std::vector<uint8_t> readLocalFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::vector<uint8_t> expectedContent(const nvrtest::TreeEntry& entry) {
    if (!entry.content.empty() || entry.seed == 0) return entry.content;
    return nvrtest::patternBytes(entry.seed, entry.size);
}

size_t countLines(const std::string& text) { return std::count(text.begin(), text.end(), '\n'); }

// The size of a file of the sample tree, as ls prints it.
std::string sampleSize(const std::string& path) {
    for (const nvrtest::TreeEntry& entry : sampleMainVolumeTree())
        if (entry.path == path) return std::to_string(expectedContent(entry).size());
    return "missing";
}

class NvrdiskProgram : public ::testing::Test {
protected:
    // One sample directory for all cases: building it is the slow part.
    static void SetUpTestSuite() {
        scratch_ = std::make_unique<nvrtest::TempDir>("nvrdisk-test");
        const auto made = nvrtest::runProcess({NVRDISK_PROGRAM, "sample", devices()});
        ASSERT_TRUE(made.succeeded()) << made.output;
    }
    static void TearDownTestSuite() { scratch_.reset(); }
    static std::string devices() { return scratch_->file("devices"); }
    static std::string outputFile(const std::string& name) { return scratch_->file(name); }

    static nvrtest::ProcessResult run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {NVRDISK_PROGRAM, "--devices", devices()});
        return nvrtest::runProcess(arguments);
    }

private:
    static inline std::unique_ptr<nvrtest::TempDir> scratch_;
};

TEST_F(NvrdiskProgram, ListShowsBothDisksOfTheRecorderInOneGroupAndTheOtherDrive) {
    const auto listed = run({"list"});
    ASSERT_TRUE(listed.succeeded()) << listed.output;
    std::smatch first, second;
    ASSERT_TRUE(std::regex_search(listed.output, first, std::regex("drive 1  \"SAMPLE-NVR-01\"  group (\\d+)")))
        << listed.output;
    ASSERT_TRUE(std::regex_search(listed.output, second, std::regex("drive 2  \"SAMPLE-NVR-01\"  group (\\d+)")))
        << listed.output;
    EXPECT_EQ(first[1], second[1]);
    EXPECT_NE(listed.output.find("volume 1  partition 2  raw data area"), std::string::npos) << listed.output;
    EXPECT_NE(listed.output.find("volume 3  partition 4  ext2 volume  /2/3/"), std::string::npos) << listed.output;
    EXPECT_NE(listed.output.find("drive 3  8.0 MiB"), std::string::npos) << listed.output;
    EXPECT_EQ(listed.output.find("drive 0"), std::string::npos) << "drive 0 is the system disk";
}

TEST_F(NvrdiskProgram, LsShowsTypesSizesAndHidesLostAndFound) {
    const auto listed = run({"ls", "/1/0/"});
    ASSERT_TRUE(listed.succeeded()) << listed.output;
    EXPECT_TRUE(std::regex_search(listed.output, std::regex("\ndir +\\d+ +\\d+  docs/\n"))) << listed.output;
    const std::regex readme("\nfile +" + sampleSize("README.txt") + " +\\d+  README.txt\n");
    EXPECT_TRUE(std::regex_search(listed.output, readme)) << listed.output;
    EXPECT_EQ(listed.output.find("lost+found"), std::string::npos) << listed.output;
}

TEST_F(NvrdiskProgram, LsAcceptsDirectoriesWithoutTrailingSlashInAnyCase) {
    const auto canonical = run({"ls", "/1/0/docs/"});
    ASSERT_TRUE(canonical.succeeded()) << canonical.output;
    for (const char* rname : {"/1/0/docs", "/1/0/DOCS", "/1/0\\docs\\"}) {
        const auto other = run({"ls", rname});
        EXPECT_EQ(other.output, canonical.output) << rname;
    }
}

TEST_F(NvrdiskProgram, LsOfAFileShowsThatEntryOnly) {
    const auto listed = run({"ls", "/1/0/docs/channels.txt"});
    ASSERT_TRUE(listed.succeeded()) << listed.output;
    EXPECT_EQ(countLines(listed.output), 2u) << listed.output;
    const std::regex channels("\nfile +" + sampleSize("docs/channels.txt") + " +\\d+  channels.txt\n");
    EXPECT_TRUE(std::regex_search(listed.output, channels)) << listed.output;
}

TEST_F(NvrdiskProgram, LsListsEveryEntryOfACrowdedDirectory) {
    const auto listed = run({"ls", "/1/0/many"});
    ASSERT_TRUE(listed.succeeded()) << listed.output;
    EXPECT_EQ(countLines(listed.output), 1u + sampleCrowdedEntries);
    EXPECT_NE(listed.output.find("entry-299.txt"), std::string::npos);
}

TEST_F(NvrdiskProgram, LsOfAnEmptyDirectoryShowsOnlyTheHeader) {
    const auto listed = run({"ls", "/1/0/data/empty/"});
    ASSERT_TRUE(listed.succeeded()) << listed.output;
    EXPECT_EQ(countLines(listed.output), 1u) << listed.output;
}

TEST_F(NvrdiskProgram, CatWritesTheFileExactly) {
    const auto shown = run({"cat", "/1/0/README.txt"});
    ASSERT_TRUE(shown.succeeded()) << shown.output;
    const auto tree = sampleMainVolumeTree();
    EXPECT_EQ(shown.output, std::string(tree[0].content.begin(), tree[0].content.end()));
}

TEST_F(NvrdiskProgram, DumpOfEveryFileEqualsItsSource) {
    for (const nvrtest::TreeEntry& entry : sampleMainVolumeTree()) {
        if (entry.path.back() == '/') continue;
        const std::string target = outputFile("dumped");
        const auto dumped = run({"dump", "/1/0/" + entry.path, target});
        ASSERT_TRUE(dumped.succeeded()) << entry.path << ": " << dumped.output;
        EXPECT_EQ(readLocalFile(target), expectedContent(entry)) << entry.path;
    }
}

TEST_F(NvrdiskProgram, DumpOfAWholeDriveEqualsItsImage) {
    const std::string target = outputFile("drive2.img");
    const auto dumped = run({"dump", "/2/", target});
    ASSERT_TRUE(dumped.succeeded()) << dumped.output;
    EXPECT_TRUE(readLocalFile(target) == readLocalFile(devices() + "/PhysicalDrive2"));
}

TEST_F(NvrdiskProgram, FailuresExitNonZeroWithASentence) {
    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } cases[] = {
        {{"cat", "/1/0/missing.txt"}, "no file /1/0/missing.txt"},
        {{"cat", "/1/0/docs/"}, "no file /1/0/docs/"},
        {{"ls", "/9/0/"}, "not on a listed NVR disk"},
        {{"ls", "/1/0/nowhere/"}, "no directory or file /1/0/nowhere/"},
        {{"ls", "/1/1/"}, "raw data area"},
        {{"dump", "/3/", outputFile("blank.img")}, "not a listed NVR disk"},
    };
    for (const auto& c : cases) {
        const auto result = run(c.arguments);
        EXPECT_NE(result.exitCode, 0) << c.arguments[1];
        EXPECT_NE(result.output.find(c.message), std::string::npos) << c.arguments[1] << ": " << result.output;
    }
}

TEST(NvrdiskOptions, MissingDeviceDirectoryIsAnError) {
    const auto result = nvrtest::runProcess({NVRDISK_PROGRAM, "--devices", "/nonexistent/devices", "list"});
    EXPECT_NE(result.exitCode, 0);
    EXPECT_NE(result.output.find("does not exist"), std::string::npos) << result.output;
}

TEST(NvrdiskOptions, EmptyDeviceDirectoryGivesAFriendlyLine) {
    nvrtest::TempDir empty("nvrdisk-empty");
    const auto result = nvrtest::runProcess({NVRDISK_PROGRAM, "--devices", empty.path(), "list"});
    ASSERT_TRUE(result.succeeded()) << result.output;
    EXPECT_NE(result.output.find("No drives attached"), std::string::npos) << result.output;
}

TEST(NvrdiskOptions, EveryCommandHasHelp) {
    for (const char* command : {"list", "ls", "cat", "dump", "watch", "sample"}) {
        const auto result = nvrtest::runProcess({NVRDISK_PROGRAM, command, "--help"});
        EXPECT_TRUE(result.succeeded()) << command;
        EXPECT_NE(result.output.find("Usage:"), std::string::npos) << command;
    }
}

}  // namespace
}  // namespace nvrdisk
