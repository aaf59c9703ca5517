// Settings lookup: user settings over "program.ini" over the default, and storing user values.
#include <cstdlib>

#include <gtest/gtest.h>

#include "mardle/data_environment.h"
#include "temp_directory.h"

namespace {

class SettingsTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
        CDataEnvironmentPath::SetUserDirName("demo");
    }
    void TearDown() override { CDataEnvironmentPath::SetUserDirName(""); }

    TempDirectory config;
    TempDirectory program;
};

struct LookupCase {
    const char* what;
    const char* userFile;     // null: no user settings file
    const char* programFile;  // null: no program.ini
    const char* key;
    const char* expected;
};

TEST_F(SettingsTest, TextLookupOrder) {
    const LookupCase cases[] = {
        {"user value wins", "[System]\nTheme=blue\n", "[System]\nTheme=green\n", "Theme", "blue"},
        {"program.ini when the user has no such key", "[System]\nLanguage=English\n", "[System]\nTheme=green\n", "Theme", "green"},
        {"program.ini without user file", nullptr, "[System]\nTheme=green\n", "Theme", "green"},
        {"default when neither has it", "[Other]\nTheme=blue\n", "[System]\nColour=red\n", "Theme", "zet"},
        {"names match without case", "[system]\ntheme = blue \n", nullptr, "THEME", "blue"},
        {"comments and junk are ignored", "; note\n[System]\n# Theme=no\nnot a line\nTheme=blue\n", nullptr, "Theme", "blue"},
        {"key before any section is ignored", "Theme=blue\n[System]\n", nullptr, "Theme", "zet"},
    };
    for (const LookupCase& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(config.path() + "/demo");
        std::filesystem::remove(program.path() + "/program.ini");
        if (c.userFile) config.write("demo/settings.ini", c.userFile);
        if (c.programFile) program.write("program.ini", c.programFile);
        EXPECT_EQ(CDataEnvironment(program.path()).GetIniData("System", c.key, std::string("zet")), c.expected);
    }
}

TEST_F(SettingsTest, IntegerLookupFallsBackOnMissingOrNonNumericValues) {
    program.write("program.ini", "[System]\nCount=12\nWord=abc\nEmpty=\n");
    const CDataEnvironment environment(program.path());
    EXPECT_EQ(environment.GetIniData("System", "Count", 5), 12);
    EXPECT_EQ(environment.GetIniData("System", "Word", 5), 5);
    EXPECT_EQ(environment.GetIniData("System", "Empty", 5), 5);
    EXPECT_EQ(environment.GetIniData("System", "Missing", 5), 5);
}

TEST_F(SettingsTest, UserNameSelectsWhoseSettingsAreRead) {
    config.write("alice/settings.ini", "[System]\nTheme=alice\n");
    config.write("bob/settings.ini", "[System]\nTheme=bob\n");
    const CDataEnvironment environment(program.path());
    CDataEnvironmentPath::SetUserDirName("alice");
    EXPECT_EQ(environment.GetIniData("System", "Theme", std::string("zet")), "alice");
    CDataEnvironmentPath::SetUserDirName("bob");
    EXPECT_EQ(environment.GetIniData("System", "Theme", std::string("zet")), "bob");
}

TEST_F(SettingsTest, NamesThatLeaveTheConfigDirectorySelectNoUser) {
    config.write("settings.ini", "[System]\nTheme=escaped\n");
    for (const char* name : {"..", ".", "", "a/..", "../demo"}) {
        SCOPED_TRACE(name);
        CDataEnvironmentPath::SetUserDirName(name);
        EXPECT_EQ(CDataEnvironmentPath::GetUserIniPath(), "");
        EXPECT_EQ(CDataEnvironment(program.path()).GetIniData("System", "Theme", std::string("zet")), "zet");
    }
}

TEST_F(SettingsTest, StoredUserValueIsReadBackAndKeepsOtherKeys) {
    config.write("demo/settings.ini", "[System]\nLanguage=English\n");
    CDataEnvironment environment(program.path());
    ASSERT_TRUE(environment.SetIniDataUser("System", "Theme", "night"));
    EXPECT_EQ(environment.GetIniData("System", "Theme", std::string("zet")), "night");
    EXPECT_EQ(environment.GetIniData("System", "Language", std::string("Chinese")), "English");
}

TEST_F(SettingsTest, StoringWithoutUserFails) {
    CDataEnvironmentPath::SetUserDirName("");
    EXPECT_FALSE(CDataEnvironment(program.path()).SetIniDataUser("System", "Theme", "night"));
}

TEST(ProgramPaths, ProgramDirectoryEndsWithSeparatorAndHoldsTheProgram) {
    const std::string directory = CFSystemApi::GetExePath();
    ASSERT_FALSE(directory.empty());
    EXPECT_EQ(directory.back(), '/');
    EXPECT_TRUE(CFSystemApi::FindFile(directory + CFSystemApi::GetExeName()));
    EXPECT_EQ(CDataEnvironment::GetData().GetPathExe(), directory);
}

}  // namespace
