// Runs the real nvrdisk on the sample device directory and checks what users see.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>

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

// The fields (type, size, inode, name) of the ls line for `name`; empty when there is none.
std::vector<std::string> lsFields(const std::string& output, const std::string& name) {
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::vector<std::string> fields{std::istream_iterator<std::string>(words), {}};
        if (fields.size() == 4 && fields[3] == name) return fields;
    }
    return {};
}

// The group number that `list` prints for a drive, or "" when the drive is not shown.
std::string listedGroup(const std::string& output, int drive) {
    const std::string start = "  drive " + std::to_string(drive) + "  \"SAMPLE-NVR-01\"  group ";
    const size_t at = output.find(start);
    if (at == std::string::npos) return "";
    const size_t from = at + start.size();
    return output.substr(from, output.find(' ', from) - from);
}

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
    const std::string firstGroup = listedGroup(listed.output, 1);
    ASSERT_FALSE(firstGroup.empty()) << listed.output;
    EXPECT_EQ(listedGroup(listed.output, 2), firstGroup) << listed.output;
    EXPECT_NE(listed.output.find("volume 1  partition 2  raw data area"), std::string::npos) << listed.output;
    EXPECT_NE(listed.output.find("volume 3  partition 4  ext2 volume  /2/3/"), std::string::npos) << listed.output;
    EXPECT_NE(listed.output.find("drive 3  8.0 MiB"), std::string::npos) << listed.output;
    EXPECT_EQ(listed.output.find("drive 0"), std::string::npos) << "drive 0 is the system disk";
}

TEST_F(NvrdiskProgram, LsShowsTypesSizesAndHidesLostAndFound) {
    const auto listed = run({"ls", "/1/0/"});
    ASSERT_TRUE(listed.succeeded()) << listed.output;
    const auto docs = lsFields(listed.output, "docs/");
    ASSERT_EQ(docs.size(), 4u) << listed.output;
    EXPECT_EQ(docs[0], "dir");
    EXPECT_GT(std::stoul(docs[1]), 0u) << "a directory's size is its content's";
    const auto readme = lsFields(listed.output, "README.txt");
    ASSERT_EQ(readme.size(), 4u) << listed.output;
    EXPECT_EQ(readme[0], "file");
    EXPECT_EQ(readme[1], sampleSize("README.txt"));
    EXPECT_NE(readme[2], docs[2]) << "each entry has its own inode";
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
    const auto channels = lsFields(listed.output, "channels.txt");
    ASSERT_EQ(channels.size(), 4u) << listed.output;
    EXPECT_EQ(channels[1], sampleSize("docs/channels.txt"));
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

// Every file outside many/, and the first and last entries of many/ (ls checks the rest).
bool worthDumping(const nvrtest::TreeEntry& entry) {
    if (entry.path.back() == '/') return false;
    return entry.path.rfind("many/", 0) != 0 || entry.path == "many/entry-000.txt" || entry.path == "many/entry-299.txt";
}

TEST_F(NvrdiskProgram, DumpOfEachFileEqualsItsSource) {
    for (const nvrtest::TreeEntry& entry : sampleMainVolumeTree()) {
        if (!worthDumping(entry)) continue;
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
        {{"cat", "/1/0/missing.txt"}, "TQHD_E_PARAM: no file /1/0/missing.txt"},
        {{"cat", "/1/0/docs/"}, "TQHD_E_PARAM: no file /1/0/docs/"},
        {{"ls", "/9/0/"}, "TQHD_E_PARAM: /9/0/ is not on a listed NVR disk"},
        {{"ls", "/1/0/nowhere/"}, "TQHD_E_PARAM: no directory or file /1/0/nowhere/"},
        {{"ls", "/1/1/"}, "raw data area cannot be listed"},
        {{"dump", "/3/", outputFile("blank.img")}, "TQHD_E_PARAM: drive /3/ is not a listed NVR disk"},
        {{"dump", "/1/0/README.txt", "/nonexistent/out.txt"}, "cannot create /nonexistent/out.txt"},
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
    // Drive 0 stands for the system disk: it opens, so nvrdisk works directly. Only drives 1
    // to 25 are looked at.
    nvrtest::DeviceDirectory(empty.path()).addBlank(0, 1 << 20);
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
