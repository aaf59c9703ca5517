// Copy and format through the client, the same in both modes: the copy's resume question is
// answered from the client's callback, a format names the programs that use the disk, and a
// registration's listener ends after the final event.
#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>

#include "client_world.h"
#include "event_log.h"
#include "scenario_drives.h"
#include "scenario_support.h"

namespace clienttest {
namespace {

constexpr int32_t kChunkDone = 0x1000001;
constexpr int32_t kQuestion = 0x4000000;

bool chunkDone(const TQHD_EVENT& event) {
    return event.lCode == TQHD_EVENT_COPY_PROGRESS && event.lValue >= kChunkDone && event.lValue < 0x2000000;
}

// Holds the worker at its first finished chunk until the test has asked it to stop, so the stop
// lands at a known place.
class FirstChunkGate {
public:
    void reached() {
        std::unique_lock lock(mutex_);
        if (reached_) return;
        reached_ = true;
        changed_.notify_all();
        changed_.wait_for(lock, std::chrono::seconds(30), [this] { return released_; });
    }
    bool waitReached() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(60), [this] { return reached_; });
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool reached_ = false;
    bool released_ = false;
};

std::string sourcePrefix() { return "/" + std::to_string(kCopySource) + "/"; }

int32_t stoppedCopy() {
    ClientHandle source(TQHDC_OpenHardDiskByRName(sourcePrefix().c_str()));
    EventLog log;
    FirstChunkGate gate;
    log.onEvent = [&gate](TQHD_EVENT& event) {
        if (chunkDone(event)) gate.reached();
    };
    EXPECT_EQ(TQHDC_RegistIntCallBack(source.get(), 3, &EventLog::receive), TQHD_OK);
    int32_t started = 1;
    ClientHandle job(TQHDC_DiskCopy(kCopySource, kCopyTarget, &started));
    EXPECT_EQ(started, TQHD_OK);
    EXPECT_TRUE(gate.waitReached());
    EXPECT_EQ(TQHDC_Stop(job.get()), TQHD_OK);
    gate.release();
    int32_t result = 1;
    EXPECT_TRUE(log.waitFor(TQHD_EVENT_COPY_DONE, result));
    return result;
}

TEST(ClientCopy, AStoppedCopyResumesWhereTheCallbackSaysSo) {
    ASSERT_EQ(stoppedCopy(), TQHD_E_STOPPED);
    ClientHandle source(TQHDC_OpenHardDiskByRName(sourcePrefix().c_str()));
    EventLog log;
    int32_t askedAt = -1;
    log.onEvent = [&askedAt](TQHD_EVENT& event) {
        if (event.lCode == TQHD_EVENT_COPY_PROGRESS && (event.lValue & kQuestion) != 0) {
            askedAt = event.lValue - kQuestion;
            event.lValue = 1;  // resume
        }
    };
    ASSERT_EQ(TQHDC_RegistIntCallBack(source.get(), 4, &EventLog::receive), TQHD_OK);
    int32_t started = 1;
    ClientHandle job(TQHDC_DiskCopy(kCopySource, kCopyTarget, &started));
    ASSERT_EQ(started, TQHD_OK);
    int32_t result = 1;
    ASSERT_TRUE(log.waitFor(TQHD_EVENT_COPY_DONE, result));
    EXPECT_EQ(result, TQHD_OK);
    EXPECT_GE(askedAt, 1) << "the question names the chunk the stopped copy reached";
    EXPECT_EQ(log.lastUserValue(), 4u);
    for (const TQHD_EVENT& event : log.events())
        if (chunkDone(event)) EXPECT_GE(event.lValue - kChunkDone, askedAt) << "resumed chunks only";
    const std::string sourceImage = readLocalFile(driveDirectory() + "/PhysicalDrive" + std::to_string(kCopySource));
    const std::string targetImage = readLocalFile(driveDirectory() + "/PhysicalDrive" + std::to_string(kCopyTarget));
    ASSERT_GE(targetImage.size(), sourceImage.size());
    EXPECT_TRUE(targetImage.compare(0, sourceImage.size(), sourceImage) == 0);
}

TEST(ClientFormat, NamesTheProgramsUsingTheDiskThenFormatsWhenForced) {
    const std::string prefix = "/" + std::to_string(kFormatDrive) + "/";
    const TQHD_DISK_INFO info = diskInfoOf(kFormatDrive);
    ASSERT_EQ(info.lSize, 80);
    {
        ClientHandle file(TQHDC_OpenFileByRName((prefix + "0/old.txt").c_str()));
        ASSERT_NE(file, nullptr);
        char busy[256] = "";
        int32_t status = 0;
        ClientHandle refused(TQHDC_FormatHDDByFind(&info, &status, 0, busy, sizeof busy));
        EXPECT_EQ(refused, nullptr);
        EXPECT_EQ(status, TQHD_E_INUSE);
        EXPECT_NE(std::string(busy).find("client_"), std::string::npos) << busy;
        EXPECT_NE(std::string(busy).find("(1)"), std::string::npos) << busy;
    }
    ASSERT_TRUE(eventually([] { return serviceSessions() == 0; }));
    ClientHandle disk(TQHDC_OpenHardDisk(&info));
    EventLog log;
    // A handler that throws must not keep the service's relay waiting for its answer.
    if (serviceMode()) log.onEvent = [](TQHD_EVENT&) { throw std::runtime_error("handler failure"); };
    ASSERT_EQ(TQHDC_RegistIntCallBack(disk.get(), 9, &EventLog::receive), TQHD_OK);
    int32_t status = 1;
    ClientHandle job(TQHDC_FormatHDDByRName(prefix.c_str(), &status, 1, nullptr, 0));
    ASSERT_EQ(status, TQHD_OK);
    ASSERT_NE(job, nullptr);
    int32_t result = 1;
    ASSERT_TRUE(log.waitFor(TQHD_EVENT_FORMAT_DONE, result));
    EXPECT_EQ(result, TQHD_OK);
    EXPECT_GT(log.events().size(), 2u) << "progress before the final event";
    // The registration's connection ends after the final event; the disk and job objects stay.
    EXPECT_TRUE(eventually([] { return serviceSessions() == (serviceMode() ? 2 : 0); }));
    const char* name = TQHDC_GetDeviceInfo(&info, 1);
    EXPECT_TRUE(name == nullptr || name[0] == '\0') << "a formatted disk has no name";
    EXPECT_EQ(TQHDC_OpenFileByRName((prefix + "0/old.txt").c_str()), nullptr);
}

}  // namespace
}  // namespace clienttest
