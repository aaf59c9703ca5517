// The theme manager's string resources and the text lookup rule.
#include <gtest/gtest.h>

#include "skinloom/theme_manager.h"
#include "temp_directory.h"

namespace {

const char* const kEnglish =
    "<Strings>\n"
    "  <String Key=\"VideoCheck\">Video check</String>\n"
    "  <String Key=\"Empty\"></String>\n"
    "</Strings>\n";

TEST(ThemeManager, InitNeedsAnExistingDirectory) {
    TempDirectory theme;
    CThemeManager manager;
    EXPECT_NE(manager.InitThemeManager(theme.path() + "/missing"), 0);
    EXPECT_EQ(manager.InitThemeManager(theme.path()), 0);
    EXPECT_EQ(manager.GetThemeDirectory(), theme.path() + "/");
}

TEST(ThemeManager, CurrentManagerIsTheLiveOne) {
    EXPECT_EQ(CThemeManager::GetThemeManger(), nullptr);
    {
        CThemeManager manager;
        EXPECT_EQ(CThemeManager::GetThemeManger(), &manager);
    }
    EXPECT_EQ(CThemeManager::GetThemeManger(), nullptr);
}

TEST(ThemeManager, FindsStringResourcesOfTheLoadedLanguage) {
    TempDirectory theme;
    theme.write("Zet_English.xaml", kEnglish);
    CThemeManager manager;
    ASSERT_EQ(manager.InitThemeManager(theme.path()), 0);
    ASSERT_TRUE(manager.GetRootElement()->GetResourceDictionary()->LoadResourceFile("Zet_English.xaml"));
    IThemeResource* resource = manager.FindResourceA("VideoCheck", ThemeResourceString);
    ASSERT_NE(resource, nullptr);
    EXPECT_EQ(resource->GetObject()->GetString(), "Video check");
    EXPECT_EQ(manager.FindResourceA("Missing", ThemeResourceString), nullptr);
    EXPECT_EQ(manager.FindResourceA("VideoCheck", 2), nullptr);  // not a string resource type
}

TEST(ThemeManager, BrokenOrMissingLanguageFileKeepsEarlierStrings) {
    TempDirectory theme;
    theme.write("Zet_English.xaml", kEnglish);
    theme.write("Zet_Broken.xaml", "<Strings><String Key=\"VideoCheck\">Other</String>");
    theme.write("Zet_Wrong.xaml", "<Texts/>");
    CThemeManager manager;
    ASSERT_EQ(manager.InitThemeManager(theme.path()), 0);
    CThemeResourceDictionary* dictionary = manager.GetRootElement()->GetResourceDictionary();
    ASSERT_TRUE(dictionary->LoadResourceFile("Zet_English.xaml"));
    EXPECT_FALSE(dictionary->LoadResourceFile("Zet_Broken.xaml"));
    EXPECT_FALSE(dictionary->LoadResourceFile("Zet_Wrong.xaml"));
    EXPECT_FALSE(dictionary->LoadResourceFile("Zet_Missing.xaml"));
    EXPECT_EQ(ThemeText("VideoCheck", "视频校验"), "Video check");
}

TEST(ThemeText, ResourceThenDefaultThenKey) {
    TempDirectory theme;
    theme.write("Zet_English.xaml", kEnglish);
    CThemeManager manager;
    ASSERT_EQ(manager.InitThemeManager(theme.path()), 0);
    ASSERT_TRUE(manager.GetRootElement()->GetResourceDictionary()->LoadResourceFile("Zet_English.xaml"));
    struct Case {
        const char* key;
        const char* defaultText;
        const char* expected;
    };
    const Case cases[] = {
        {"VideoCheck", "视频校验", "Video check"},  // the theme's string wins
        {"Empty", "fallback", ""},                    // an empty string resource is still the theme's
        {"Missing", "fallback", "fallback"},
        {"Missing", "", "Missing"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(ThemeText(c.key, c.defaultText), c.expected);
    }
}

TEST(ThemeText, WithoutManagerUsesDefaultThenKey) {
    EXPECT_EQ(ThemeText("VideoCheck", "视频校验"), "视频校验");
    EXPECT_EQ(ThemeText("VideoCheck", ""), "VideoCheck");
}

}  // namespace
