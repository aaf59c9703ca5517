// nvrdisk check: frame checks of video files for terminals and scripts.
#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>

#include "disk_image_builder.h"
#include "frame_builder.h"
#include "run_process.h"
#include "videocheck/frame_check.h"

namespace nvrdisk {
namespace {

using videocheck_test::Bytes;

void writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

// A file of three frames whose check bytes match, or whose last one does not.
Bytes videoFile(bool intact) {
    Bytes file;
    for (int frame = 0; frame < 3; ++frame) {
        const Bytes payload = nvrtest::patternBytes(frame + 1, 300);
        uint8_t check = videocheck::payloadCheckSum(payload);
        if (!intact && frame == 2) check = static_cast<uint8_t>(check + 1);
        videocheck_test::appendFrame(file, payload, check);
    }
    return file;
}

nvrtest::ProcessResult check(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {NVRDISK_PROGRAM, "check"});
    return nvrtest::runProcess(arguments);
}

TEST(NvrdiskCheck, ExitStatusTellsWhetherEveryFilePassed) {
    nvrtest::TempDir dir("nvrdisk-check");
    ::mkdir(dir.file("sub").c_str(), 0755);
    writeFile(dir.file("a.264"), videoFile(true));
    writeFile(dir.file("sub/b.265"), videoFile(true));
    writeFile(dir.file("notes.txt"), videocheck_test::text("not a video"));
    const auto passed = check({dir.path()});
    EXPECT_EQ(passed.exitCode, 0) << passed.output;
    EXPECT_NE(passed.output.find("a.264"), std::string::npos);
    EXPECT_NE(passed.output.find("b.265"), std::string::npos);
    EXPECT_EQ(passed.output.find("notes.txt"), std::string::npos);
    EXPECT_NE(passed.output.find("2 files: 2 passed, 0 failed"), std::string::npos) << passed.output;

    writeFile(dir.file("sub/c.264"), videoFile(false));
    const auto failed = check({dir.path()});
    EXPECT_EQ(failed.exitCode, 1) << failed.output;
    EXPECT_NE(failed.output.find("1 failed"), std::string::npos) << failed.output;
}

TEST(NvrdiskCheck, JsonOutputForScripts) {
    nvrtest::TempDir dir("nvrdisk-check");
    writeFile(dir.file("a.264"), videoFile(true));
    const auto result = check({"--json", dir.file("a.264")});
    EXPECT_EQ(result.exitCode, 0) << result.output;
    EXPECT_NE(result.output.find("\"passed\""), std::string::npos) << result.output;
    EXPECT_NE(result.output.find("\"files\""), std::string::npos);
}

TEST(NvrdiskCheck, APathThatIsNeitherVideoNorDirectoryIsAnError) {
    nvrtest::TempDir dir("nvrdisk-check");
    writeFile(dir.file("notes.txt"), videocheck_test::text("x"));
    EXPECT_EQ(check({dir.file("notes.txt")}).exitCode, 2);
    EXPECT_EQ(check({dir.file("missing")}).exitCode, 2);
}

}  // namespace
}  // namespace nvrdisk
