// Starting a copy: the refusals, opening both drives, and the worker thread.
#include <thread>

#include "copy_job.h"
#include "maintenance.h"
#include "platform/debug.h"
#include "platform/drive_usage.h"

namespace drelmo {

namespace {

constexpr int kTargetOpenAttempts = 4;
constexpr unsigned kShareAll = platform::kShareRead | platform::kShareWrite;

std::unique_ptr<platform::Drive> openTarget(int32_t number) {
    for (int attempt = 0; attempt < kTargetOpenAttempts; ++attempt) {
        if (auto drive = platform::openDrive(number, platform::Access::ReadWrite, kShareAll)) return drive;
    }
    return nullptr;
}

nvr::Result<CopyDrives> openCopyDrives(int32_t source, int32_t target) {
    CopyDrives drives;
    drives.sourceNumber = source;
    drives.targetNumber = target;
    drives.source = platform::openDrive(source, platform::Access::Read, kShareAll);
    if (!drives.source) return nvr::fail(TQHD_E_NOTFOUND);
    // Never write to a drive that holds a mounted file system, swap or the root file system.
    const platform::DriveUsage usage = platform::driveUsage(target);
    if (usage != platform::DriveUsage::Free) {
        platform::debugOut("## disk ## 目标盘%d %s\n", target, platform::driveUsageText(usage).c_str());
        return nvr::fail(TQHD_E_INUSE);
    }
    drives.target = openTarget(target);
    if (!drives.target) return nvr::fail(TQHD_E_INUSE);
    const int64_t sourceSize = drives.source->length();
    const int64_t targetSize = drives.target->length();
    if (sourceSize < 0 || targetSize < 0) return nvr::fail(TQHD_E_SEEK);
    drives.sourceSize = static_cast<uint64_t>(sourceSize);
    drives.targetSize = static_cast<uint64_t>(targetSize);
    // A source larger than the target cannot be copied whole; refused before anything is written.
    if (drives.sourceSize > drives.targetSize || drives.targetSize < platform::kSectorSize) {
        return nvr::fail(TQHD_E_PARAM);
    }
    return drives;
}

}  // namespace

int32_t StartCopy(DiskState& disk, int32_t source, int32_t target, std::unique_ptr<platform::MessageThread>& spent) {
    if (disk.copying) return TQHD_E_BUSY;
    if (source == target) return TQHD_E_SAMEDISK;
    auto drives = openCopyDrives(source, target);
    if (!drives) return drives.code();
    auto job = std::make_shared<CopyJob>(disk, std::move(*drives));
    disk.copying = true;
    spent = std::move(disk.copyWorker);
    disk.copyWorker = std::make_unique<platform::MessageThread>();
    if (!disk.copyWorker->start([job] { job->Run(); })) {
        disk.copying = false;
        return TQHD_E_THREAD;
    }
    return TQHD_OK;
}

}  // namespace drelmo
