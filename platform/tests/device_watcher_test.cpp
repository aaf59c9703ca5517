// The device watcher on a real directory with real inotify events.
#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <filesystem>
#include <thread>

#include "platform/device_watcher.h"
#include "temporary_directory.h"

namespace platform {
namespace {

using testing::ScopedEnvironment;
using testing::TemporaryDirectory;

class DeviceWatcherTest : public ::testing::Test {
protected:
    void SetUp() override {
        watcher_ = openDeviceWatcher();
        ASSERT_NE(watcher_, nullptr);
    }

    void touch(const std::string& name) { testing::writeTextFile(directory_.file(name), ""); }

    // Makes an entry appear in one step, as a drive image put in place does.
    void moveIn(const std::string& name) {
        touch(".staging");
        ASSERT_EQ(::rename(directory_.file(".staging").c_str(), directory_.file(name).c_str()), 0);
    }

    void expectEvent(DeviceChange change, int number, const std::string& name) {
        const std::optional<DeviceEvent> event = watcher_->next();
        ASSERT_TRUE(event.has_value());
        EXPECT_EQ(event->change, change);
        EXPECT_EQ(event->driveNumber, number);
        EXPECT_EQ(event->entryName, name);
    }

    TemporaryDirectory directory_;
    ScopedEnvironment environment_{"NVRDISK_DEVICE_DIR", directory_.path()};
    std::unique_ptr<DeviceWatcher> watcher_;
};

TEST_F(DeviceWatcherTest, ArrivalAndRemovalOfADrive) {
    moveIn("PhysicalDrive4");
    expectEvent(DeviceChange::Arrival, 4, "PhysicalDrive4");
    ASSERT_EQ(::unlink(directory_.file("PhysicalDrive4").c_str()), 0);
    expectEvent(DeviceChange::Removal, 4, "PhysicalDrive4");
}

TEST_F(DeviceWatcherTest, CreatedAndMovedAwayEntriesCount) {
    touch("PhysicalDrive0");
    expectEvent(DeviceChange::Arrival, 0, "PhysicalDrive0");
    ASSERT_EQ(::rename(directory_.file("PhysicalDrive0").c_str(), directory_.file("retired").c_str()), 0);
    expectEvent(DeviceChange::Removal, 0, "PhysicalDrive0");
}

TEST_F(DeviceWatcherTest, EntriesThatNameNoDriveAreNotReported) {
    for (const char* name : {"PhysicalDrive3.faults", "sdb1", "sdb", "mounts", "PhysicalDrive07"}) touch(name);
    std::filesystem::create_directory(directory_.file("PhysicalDrive8"));
    moveIn("PhysicalDrive1");
    expectEvent(DeviceChange::Arrival, 1, "PhysicalDrive1");
}

TEST_F(DeviceWatcherTest, StopWakesABlockedNext) {
    std::optional<DeviceEvent> result = DeviceEvent{DeviceChange::Arrival, -1, "unset"};
    std::thread waiter([&] { result = watcher_->next(); });
    watcher_->stop();
    waiter.join();
    EXPECT_FALSE(result.has_value());
    touch("PhysicalDrive2");
    EXPECT_FALSE(watcher_->next().has_value());  // stopped for good
}

TEST_F(DeviceWatcherTest, NextEndsWhenTheDirectoryGoes) {
    touch("PhysicalDrive5");
    std::filesystem::remove_all(directory_.path());
    expectEvent(DeviceChange::Arrival, 5, "PhysicalDrive5");
    expectEvent(DeviceChange::Removal, 5, "PhysicalDrive5");
    EXPECT_FALSE(watcher_->next().has_value());
}

TEST(DeviceWatcherOpenTest, MissingDirectoryCannotBeWatched) {
    TemporaryDirectory directory;
    ScopedEnvironment environment("NVRDISK_DEVICE_DIR", directory.file("absent"));
    EXPECT_EQ(openDeviceWatcher(), nullptr);
}

}  // namespace
}  // namespace platform
