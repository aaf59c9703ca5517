// The files a path names: the extension rule, the depth-first walk and file names.
#include <sys/stat.h>

#include <algorithm>
#include <set>

#include <gtest/gtest.h>

#include "temp_directory.h"
#include "videocheck/video_files.h"

namespace {

using videocheck::collectVideoFiles;

TEST(VideoExtension, OnlyTheExactLastFourCharacters) {
    struct Case {
        const char* path;
        bool video;
    };
    const Case cases[] = {
        {"a.264", true},     {"a.265", true},        {"dir/b.264", true},  {".264", true},
        {"a.H264", false},   {"a.264 ", false},      {"a.266", false},     {"a.264.bak", false},
        {"a.2640", false},   {"a264", false},        {"264", false},       {"", false},
        {"A.264", true},     {"a._264", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(videocheck::hasVideoExtension(c.path), c.video);
    }
}

TEST(FileName, PartAfterTheLastSeparator) {
    EXPECT_EQ(videocheck::fileNameOf("/data/cam1/2024/a.264"), "a.264");
    EXPECT_EQ(videocheck::fileNameOf("a.264"), "a.264");
    EXPECT_EQ(videocheck::fileNameOf("dir/"), "");
    EXPECT_EQ(videocheck::fileNameOf("back\\slash.264"), "back\\slash.264");  // '\\' is a name character here
}

TEST(CollectVideoFiles, FilePathIsTakenAloneEvenWhenMissing) {
    EXPECT_EQ(collectVideoFiles("/no/such/file.265"), std::vector<std::string>{"/no/such/file.265"});
}

TEST(CollectVideoFiles, PathsThatAreNeitherGiveNothing) {
    TempDirectory directory;
    const std::string file = directory.write("notes.txt", "x");
    EXPECT_TRUE(collectVideoFiles(directory.path() + "/missing").empty());
    EXPECT_TRUE(collectVideoFiles(file).empty());
    EXPECT_TRUE(collectVideoFiles("").empty());  // not the whole file system
}

// Directory "a.264 " (trailing space) and "b.H264" are directories to walk, not files.
TEST(CollectVideoFiles, NamesThatLookLikeVideosButAreNotAreWalkedAsDirectories) {
    TempDirectory directory;
    directory.write("x.264 /inner.264", "");
    directory.write("y.H264/inner.265", "");
    EXPECT_EQ(collectVideoFiles(directory.path() + "/x.264 "), std::vector<std::string>{directory.path() + "/x.264 /inner.264"});
    EXPECT_EQ(collectVideoFiles(directory.path() + "/y.H264/"), std::vector<std::string>{directory.path() + "/y.H264/inner.265"});
}

TEST(CollectVideoFiles, WalksTheTreeTakingOnlyExactExtensions) {
    TempDirectory directory;
    for (const char* name : {"top.264", "top.265", "upper.H264", "space.264 ", "other.txt", "one/a.264", "one/deep/b.265",
                             "one/deep/c.266", "two/d.264", "empty/.keep"}) {
        directory.write(name, "");
    }
    std::filesystem::create_directory(directory.path() + "/dir.264");  // a directory, walked
    directory.write("dir.264/inside.265", "");
    const std::vector<std::string> files = collectVideoFiles(directory.path());
    const std::set<std::string> found(files.begin(), files.end());
    const std::string root = directory.path() + "/";
    const std::set<std::string> expected = {root + "top.264", root + "top.265", root + "one/a.264", root + "one/deep/b.265",
                                            root + "two/d.264", root + "dir.264/inside.265"};
    EXPECT_EQ(found, expected);
    EXPECT_EQ(files.size(), expected.size());
    EXPECT_EQ(collectVideoFiles(root), files);  // with or without the trailing separator
}

// Depth first: the files below a subdirectory come together, at the place where the directory
// listing names the subdirectory, before the entries listed after it.
TEST(CollectVideoFiles, DepthFirstInListingOrder) {
    TempDirectory directory;
    for (int sub = 0; sub < 6; ++sub) {
        for (int file = 0; file < 4; ++file) directory.write("d" + std::to_string(sub) + "/f" + std::to_string(file) + ".264", "");
        directory.write("t" + std::to_string(sub) + ".265", "");
    }
    std::vector<std::string> listing;  // the root's own listing order
    for (const auto& entry : std::filesystem::directory_iterator(directory.path())) listing.push_back(entry.path().filename().string());
    const std::vector<std::string> files = collectVideoFiles(directory.path());
    ASSERT_EQ(files.size(), 30u);
    std::vector<std::string> topLevelOrder;
    for (const std::string& file : files) {
        const std::string relative = file.substr(directory.path().size() + 1);
        const std::string first = relative.substr(0, relative.find('/'));
        if (topLevelOrder.empty() || topLevelOrder.back() != first) topLevelOrder.push_back(first);
    }
    EXPECT_EQ(topLevelOrder, listing);  // each subdirectory appears once, in listing order
}

TEST(CollectVideoFiles, LinksToDirectoriesAreNotFollowed) {
    TempDirectory directory;
    directory.write("real/a.264", "");
    std::filesystem::create_directory_symlink(directory.path(), directory.path() + "/real/loop");
    std::filesystem::create_directory_symlink(directory.path() + "/real", directory.path() + "/link.264");
    const std::vector<std::string> files = collectVideoFiles(directory.path());
    const std::set<std::string> found(files.begin(), files.end());
    // The link named like a video is taken as a file (its check then fails to read it).
    EXPECT_EQ(found, (std::set<std::string>{directory.path() + "/real/a.264", directory.path() + "/link.264"}));
}

TEST(CollectVideoFiles, UnreadableSubdirectoryIsSkipped) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every directory";
    TempDirectory directory;
    directory.write("open/a.264", "");
    directory.write("closed/b.264", "");
    ASSERT_EQ(chmod((directory.path() + "/closed").c_str(), 0), 0);
    EXPECT_EQ(collectVideoFiles(directory.path()), std::vector<std::string>{directory.path() + "/open/a.264"});
}

}  // namespace
