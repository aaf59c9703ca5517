// Drive usage for copy and format: mount tables, sysfs disk sets, the device directory's
// declarations, and the real root file system seen through a device node.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <filesystem>

#include "platform/drive.h"
#include "platform/drive_usage.h"
#include "platform/drive_users.h"
#include "platform/user_folders.h"
#include "../posix/mount_table.h"
#include "temporary_directory.h"

namespace platform {
namespace {

using testing::ScopedEnvironment;
using testing::TemporaryDirectory;
using testing::writeTextFile;
namespace fs = std::filesystem;

TEST(MountTable, MountInfoGivesDeviceMountPointAndSourceWithEscapesUndone) {
    const char* text =
        "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
        "40 27 8:17 / /media/my\\040disk rw,nosuid shared:5 master:1 - vfat /dev/sdb1 rw\n"
        "garbage line\n"
        "41 27 0:38 / /sys/fs/cgroup rw - cgroup2 cgroup2 rw\n";
    const auto entries = parseMountInfo(text);
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].device, deviceNumber(254, 0));
    EXPECT_EQ(entries[0].mountPoint, "/");
    EXPECT_EQ(entries[1].device, deviceNumber(8, 17));
    EXPECT_EQ(entries[1].mountPoint, "/media/my disk") << "optional fields before '-' are skipped";
    EXPECT_EQ(entries[1].source, "/dev/sdb1");
    EXPECT_EQ(entries[2].source, "cgroup2");
}

TEST(MountTable, SwapPathsSkipTheHeader) {
    const auto paths = parseSwapPaths("Filename\tType\tSize\tUsed\tPriority\n/dev/sdc2 partition 100 0 -2\n");
    EXPECT_EQ(paths, std::vector<std::string>{"/dev/sdc2"});
}

// A sysfs tree with disk sdb (8:16), partitions sdb1 (8:17) and sdb2 (8:18), a device-mapper
// device dm-0 (253:0) on sdb2, and an unrelated disk sdc (8:32).
class FakeSysfs : public ::testing::Test {
protected:
    void SetUp() override {
        disk("sdb", "8:16");
        partition("sdb", "sdb1", "8:17");
        partition("sdb", "sdb2", "8:18");
        fs::create_directories(root("devices/virtual/block/dm-0"));
        writeTextFile(root("devices/virtual/block/dm-0/dev"), "253:0\n");
        fs::create_directories(root("class/block"));
        fs::create_directory_symlink(root("devices/virtual/block/dm-0"), root("class/block/dm-0"));
        fs::create_directories(root("devices/pci/block/sdb/sdb2/holders/dm-0"));
        disk("sdc", "8:32");
    }
    std::string root(const std::string& relative) const { return sys_.path() + "/" + relative; }
    void link(const std::string& number, const std::string& target) {
        fs::create_directories(root("dev/block"));
        fs::create_directory_symlink(root(target), root("dev/block/" + number));
    }
    void disk(const std::string& name, const std::string& number) {
        fs::create_directories(root("devices/pci/block/" + name));
        writeTextFile(root("devices/pci/block/" + name + "/dev"), number + "\n");
        link(number, "devices/pci/block/" + name);
    }
    void partition(const std::string& diskName, const std::string& name, const std::string& number) {
        const std::string directory = "devices/pci/block/" + diskName + "/" + name;
        fs::create_directories(root(directory));
        writeTextFile(root(directory + "/dev"), number + "\n");
        writeTextFile(root(directory + "/partition"), "1\n");
        link(number, directory);
    }
    TemporaryDirectory sys_;
};

TEST_F(FakeSysfs, APartitionNamesItsWholeDiskWithPartitionsAndStackedDevices) {
    const std::set<DeviceNumber> expected{deviceNumber(8, 16), deviceNumber(8, 17), deviceNumber(8, 18),
                                          deviceNumber(253, 0)};
    EXPECT_EQ(diskDevices(sys_.path(), deviceNumber(8, 17)), expected);
    EXPECT_EQ(diskDevices(sys_.path(), deviceNumber(8, 16)), expected);
    EXPECT_EQ(diskDevices(sys_.path(), deviceNumber(8, 32)), std::set<DeviceNumber>{deviceNumber(8, 32)});
    EXPECT_EQ(diskDevices(sys_.path(), deviceNumber(9, 9)), std::set<DeviceNumber>{deviceNumber(9, 9)})
        << "an unknown device stands for itself";
}

TEST(DriveUsage, ImageDrivesAreDecidedByTheMountsFileAlone) {
    TemporaryDirectory devices;
    ScopedEnvironment directory("NVRDISK_DEVICE_DIR", devices.path());
    writeTextFile(devices.file("PhysicalDrive3"), std::string(4096, '\0'));
    writeTextFile(devices.file("PhysicalDrive4"), std::string(4096, '\0'));
    EXPECT_EQ(driveUsage(3), DriveUsage::Free) << "no mounts file: nothing mounted";
    writeTextFile(devices.file("mounts"), "# declared mounts\n/media/with blank 3\n/media/x 14\n");
    EXPECT_EQ(driveUsage(3), DriveUsage::Mounted);
    EXPECT_EQ(driveUsage(4), DriveUsage::Free) << "14 is not 4";
    EXPECT_EQ(driveUsage(9), DriveUsage::Free) << "an absent drive";
}

TEST(DriveUsage, PresenceFollowsTheDriveEntry) {
    TemporaryDirectory devices;
    ScopedEnvironment directory("NVRDISK_DEVICE_DIR", devices.path());
    writeTextFile(devices.file("PhysicalDrive5"), std::string(512, '\0'));
    EXPECT_TRUE(drivePresent(5));
    ::unlink(devices.file("PhysicalDrive5").c_str());
    EXPECT_FALSE(drivePresent(5));
}

// A device node for the disk that holds "/" is refused whatever it is called. Only its usage is
// asked; nothing opens it.
TEST(DriveUsage, TheRootFileSystemDiskIsRecognisedThroughADeviceNode) {
    struct stat root {};
    ASSERT_EQ(::stat("/", &root), 0);
    if (major(root.st_dev) == 0) GTEST_SKIP() << "the root file system has no block device here";
    TemporaryDirectory devices;
    ScopedEnvironment directory("NVRDISK_DEVICE_DIR", devices.path());
    if (::mknod(devices.file("PhysicalDrive6").c_str(), S_IFBLK | 0600, root.st_dev) != 0)
        GTEST_SKIP() << "cannot make device nodes here";
    EXPECT_EQ(driveUsage(6), DriveUsage::RootFileSystem);
}

TEST(DriveUsers, AProcessWithTheDriveOpenIsListedWithItsName) {
    TemporaryDirectory devices;
    ScopedEnvironment directory("NVRDISK_DEVICE_DIR", devices.path());
    writeTextFile(devices.file("PhysicalDrive7"), std::string(4096, '\0'));
    const auto ours = [] {
        for (const DriveUser& user : driveUsers(7))
            if (user.processId == ::getpid()) return true;
        return false;
    };
    EXPECT_FALSE(ours());
    auto drive = openDrive(7, Access::Read, kShareRead);
    ASSERT_TRUE(drive);
    EXPECT_TRUE(ours());
}

TEST(UserFolders, HomeComesFromTheEnvironmentFirst) {
    ScopedEnvironment home("HOME", std::string("/tmp/somebody"));
    EXPECT_EQ(homeDirectory(), "/tmp/somebody");
    ScopedEnvironment unset("HOME", std::nullopt);
    EXPECT_FALSE(homeDirectory().empty()) << "the password database names a home for every user here";
}

}  // namespace
}  // namespace platform
