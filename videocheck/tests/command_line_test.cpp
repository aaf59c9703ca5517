// The JSON command line, and the program's refusal of a bad one before any window exists.
#include <sys/wait.h>

#include <cstdlib>

#include <gtest/gtest.h>

#include "vesquil_app.h"

namespace {

TEST(CommandLine, ReadsBothMembersAsTexts) {
    struct Case {
        const char* text;
        bool valid;
        const char* appName;
        const char* videoPath;
    };
    const Case cases[] = {
        {R"({"APPNAME":"demo","VIDEOPATH":"/data/a.264"})", true, "demo", "/data/a.264"},
        {"// started by the player\n{\"VIDEOPATH\":\"/d\" /* dir */}", true, "", "/d"},
        {R"({"APPNAME":7,"VIDEOPATH":["x"]})", true, "", ""},  // not texts: empty
        {R"({"VIDEOPATH":"视频/a.265"})", true, "", "视频/a.265"},
        {"{}", true, "", ""},
        {"", false, "", ""},
        {"{\"APPNAME\":", false, "", ""},
        {"not json", false, "", ""},
        {R"(["APPNAME","demo"])", false, "", ""},  // JSON, but not an object
        {"\"text\"", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = vesquil::parseCommandLine(c.text);
        ASSERT_EQ(parsed.has_value(), c.valid);
        if (!parsed) continue;
        EXPECT_EQ(parsed->appName, c.appName);
        EXPECT_EQ(parsed->videoPath, c.videoPath);
    }
}

TEST(Program, InvalidJsonEndsWithoutAWindow) {
    // A platform that does not exist: creating any window would abort the program.
    const std::string command = std::string("QT_QPA_PLATFORM=no-such-platform '") + VESQUIL_PROGRAM + "' '{\"APPNAME\": broken'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), vesquil::CVesquilApp::kExitBadCommandLine);
}

}  // namespace
