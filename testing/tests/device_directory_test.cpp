// Scratch directories and device directories: entries appear in one step, links, blanks, removal.
#include "disk_image_builder.h"

#include "image_reading.h"

#include <gtest/gtest.h>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

namespace nvrtest {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> namesIn(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory)) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(TempDirTest, LivesUnderTmpdirAndTakesEverythingWithIt) {
    TempDir outer;
    std::string keptTarget = outer.file("kept");
    { std::ofstream(keptTarget) << "stays"; }
    const char* previous = std::getenv("TMPDIR");
    std::string saved = previous != nullptr ? previous : "";
    ::setenv("TMPDIR", outer.path().c_str(), 1);
    std::string innerPath;
    {
        TempDir inner("probe");
        innerPath = inner.path();
        fs::create_directories(inner.file("a/b"));
        { std::ofstream(inner.file("a/b/file")) << "x"; }
        fs::create_symlink(keptTarget, inner.file("a/link"));
    }
    previous != nullptr ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");
    EXPECT_EQ(innerPath.rfind(outer.path() + "/probe-", 0), 0u) << innerPath;
    EXPECT_FALSE(fs::exists(innerPath));
    EXPECT_TRUE(fs::exists(keptTarget));  // a link is removed, never followed
}

class DeviceDirectoryTest : public ::testing::Test {
protected:
    TempDir root_;
    TempDir elsewhere_;
    DeviceDirectory devices_{root_.path()};
};

TEST_F(DeviceDirectoryTest, AddDiskPutsAFinishedImageUnderTheDriveName) {
    BuiltDisk built = devices_.addDisk(3, standardNvrDisk({}, "DRIVE3"));
    EXPECT_EQ(built.path, root_.path() + "/PhysicalDrive3");
    EXPECT_EQ(devices_.entryPath(3), built.path);
    EXPECT_EQ(namesIn(root_.path()), std::vector<std::string>{"PhysicalDrive3"});  // no temporary left
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(built.path)));
    EXPECT_EQ(readBytes(built.path, 196, 14), std::vector<uint8_t>({'K', 'X', 'V', 'O', '-', 'C', 'O', 'R', 'V',
                                                                   'A', 'N', 'T', 'E', 'X'}));
    EXPECT_TRUE(checkVolume(built.path, built.partitions[0].firstSector * 512).succeeded());
}

TEST_F(DeviceDirectoryTest, AddLinkPointsTheDriveAtAnImage) {
    std::string image = buildDiskImage(standardNvrDisk({}, "LINKED"), elsewhere_.file("disk.img")).path;
    devices_.addLink(7, image);
    EXPECT_TRUE(fs::is_symlink(devices_.entryPath(7)));
    EXPECT_EQ(fs::read_symlink(devices_.entryPath(7)), image);
    EXPECT_EQ(namesIn(root_.path()), std::vector<std::string>{"PhysicalDrive7"});
}

TEST_F(DeviceDirectoryTest, AddBlankMakesASparseZeroDrive) {
    devices_.addBlank(12, 32 << 20);
    struct stat status {};
    ASSERT_EQ(::stat(devices_.entryPath(12).c_str(), &status), 0);
    EXPECT_EQ(status.st_size, 32 << 20);
    EXPECT_EQ(status.st_blocks, 0);
    EXPECT_EQ(readBytes(devices_.entryPath(12), 0, 512), std::vector<uint8_t>(512, 0));
}

TEST_F(DeviceDirectoryTest, RemoveTakesTheEntryAwayAndComplainsTheSecondTime) {
    devices_.addBlank(1, 1 << 20);
    devices_.remove(1);
    EXPECT_TRUE(namesIn(root_.path()).empty());
    EXPECT_THROW(devices_.remove(1), std::system_error);
}

TEST_F(DeviceDirectoryTest, FailedBuildLeavesTheDirectoryEmpty) {
    DiskPlan plan = standardNvrDisk({}, "BROKEN");
    plan.partitions[0].ext2.inodeSize = 100;
    EXPECT_THROW(devices_.addDisk(2, plan), std::runtime_error);
    EXPECT_TRUE(namesIn(root_.path()).empty());
}

// What an inotify watcher of the directory saw for each drive name.
std::map<std::string, std::vector<uint32_t>> driveEvents(int watcher) {
    std::map<std::string, std::vector<uint32_t>> events;
    alignas(inotify_event) char buffer[65536];
    const std::regex driveName("PhysicalDrive[0-9]+");
    ssize_t length = 0;
    while ((length = ::read(watcher, buffer, sizeof buffer)) > 0) {
        for (char* position = buffer; position < buffer + length;) {
            inotify_event event;
            std::memcpy(&event, position, sizeof event);
            std::string name = event.len > 0 ? std::string(position + sizeof event) : "";
            if (std::regex_match(name, driveName)) events[name].push_back(event.mask);
            position += sizeof event + event.len;
        }
    }
    return events;
}

TEST_F(DeviceDirectoryTest, EntriesAppearInOneStep) {
    int watcher = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(watcher, 0);
    ::inotify_add_watch(watcher, root_.path().c_str(),
                        IN_CREATE | IN_MOVED_TO | IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_DELETE);
    std::string image = buildDiskImage(standardNvrDisk({}, "LINKED"), elsewhere_.file("disk.img")).path;
    devices_.addDisk(3, standardNvrDisk({TreeEntry::text("a", "b")}, "DRIVE3"));
    devices_.addLink(4, image);
    devices_.addBlank(5, 1 << 20);
    devices_.remove(5);
    auto events = driveEvents(watcher);
    ::close(watcher);
    EXPECT_EQ(events["PhysicalDrive3"], std::vector<uint32_t>{IN_MOVED_TO});
    EXPECT_EQ(events["PhysicalDrive4"], std::vector<uint32_t>{IN_MOVED_TO});
    EXPECT_EQ(events["PhysicalDrive5"], (std::vector<uint32_t>{IN_MOVED_TO, IN_DELETE}));
}

}  // namespace
}  // namespace nvrtest
