// Volume to drive through the device directory's "mounts" file: containment by whole path
// components, the longest declared directory winning, and paths that belong to no drive.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/volume_drive.h"
#include "temporary_directory.h"

namespace platform {
namespace {

using testing::ScopedEnvironment;
using testing::TemporaryDirectory;

class VolumeDriveTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* directory : {"devices", "mnt", "mnt/inner", "mnt2", "other"})
            std::filesystem::create_directories(root_.file(directory));
        for (const char* file : {"mnt/a.nvr", "mnt/inner/b.nvr", "mnt2/c.nvr", "other/d.nvr"})
            testing::writeTextFile(root_.file(file), "x");
        testing::writeTextFile(root_.file("devices/mounts"), root_.file("mnt") + " 4\n" + "not a line\n" +
                                                                 root_.file("mnt/inner") + " 7\n" +
                                                                 root_.file("missing") + " 9\n");
    }

    TemporaryDirectory root_;
    ScopedEnvironment devices_{"NVRDISK_DEVICE_DIR", root_.file("devices")};
};

TEST_F(VolumeDriveTest, DeclaredDirectoriesNameTheirDrives) {
    struct Case {
        const char* path;
        int drive;
    } cases[] = {
        {"mnt/a.nvr", 4},
        {"mnt", 4},
        {"mnt/inner/b.nvr", 7},        // the longer declaration wins
        {"mnt/inner/../a.nvr", 4},     // judged on the resolved path
        {"mnt2/c.nvr", -1},            // "mnt" is a prefix of the text only, not a parent
        {"other/d.nvr", -1},
        {"mnt/absent.nvr", -1},        // a path that does not exist lies on no volume
    };
    for (const Case& entry : cases) EXPECT_EQ(driveOfVolumePath(root_.file(entry.path)), entry.drive) << entry.path;
    EXPECT_EQ(driveOfVolumePath(""), -1);
}

TEST_F(VolumeDriveTest, WithoutAMountsFileNoPathHasADrive) {
    std::filesystem::remove(root_.file("devices/mounts"));
    EXPECT_EQ(driveOfVolumePath(root_.file("mnt/a.nvr")), -1);
}

TEST(VolumeDriveSystem, AMemoryFileSystemIsOnNoDrive) {
    ScopedEnvironment noDevices("NVRDISK_DEVICE_DIR", std::nullopt);
    if (!std::filesystem::is_directory("/proc/self")) GTEST_SKIP() << "no /proc";
    EXPECT_EQ(driveOfVolumePath("/proc/self/status"), -1);
}

}  // namespace
}  // namespace platform
