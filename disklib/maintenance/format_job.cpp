#include "format_job.h"

#include <chrono>
#include <cstring>
#include <new>

#include "boot_record.h"
#include "ext2_format.h"
#include "library_state.h"
#include "platform/debug.h"
#include "raw_area_format.h"

namespace drelmo {

namespace {

constexpr unsigned kShareAll = platform::kShareRead | platform::kShareWrite;

uint32_t secondsSince1970() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::seconds>(now).count());
}

}  // namespace

FormatJob::FormatJob(DiskState& disk, std::vector<VolumeRecord> volumes) : disk_(disk), volumes_(std::move(volumes)) {}

int32_t FormatJob::Send(int32_t code, int32_t value) {
    TQHD_EVENT event{code, value};
    disk_.Notify(&event);
    return event.lValue;
}

// The raw data area reaches to the next volume, or to the end of the drive on a two-volume disk.
uint64_t FormatJob::RawAreaBytes() const {
    const uint64_t start = uint64_t{volumes_[kRawAreaEntry].firstSector} * platform::kSectorSize;
    const uint64_t end = volumes_.size() == 4 ? uint64_t{volumes_[2].firstSector} * platform::kSectorSize
                                              : static_cast<uint64_t>(std::max<int64_t>(disk_.GetLength(), 0));
    return end > start ? end - start : 0;
}

void FormatJob::Run() {
    platform::debugOut("## disk ## 开始格式化 - 1\n");
    platform::debugOut("## disk ## 开始格式化 - 2, 分区个数=%d\n", static_cast<int>(volumes_.size()));
    Send(TQHD_EVENT_FORMAT_PROGRESS, static_cast<int32_t>(volumes_.size()));
    formatTime_ = secondsSince1970();
    auto drive = platform::openDrive(disk_.DriveNumber(), platform::Access::ReadWrite, kShareAll);
    if (disk_.openObjects != 0 || !drive) {
        platform::debugOut("## disk ## 格式化写方式打开磁盘失败，错误代码%d\n", errno);
        drive.reset();
        (void)disk_.ReopenForReading();
        disk_.formatting = false;
        Send(TQHD_EVENT_FORMAT_DONE, TQHD_E_NOWRITE);
        return;
    }
    const int32_t result = FormatVolumes(*drive);
    if (result == TQHD_OK && !drive->flush()) return Finish(TQHD_E_WRITE);
    drive.reset();
    Finish(result);
}

int32_t FormatJob::FormatVolumes(platform::Drive& drive) {
    for (size_t index = 0; index < volumes_.size(); ++index) {
        if (const int32_t stop = Interruption(); stop == TQHD_E_NOTFOUND) return stop;
        platform::debugOut("## disk ## 开始格式化 - 4, 正在格式化分区%d\n", static_cast<int>(index + 1));
        Send(TQHD_EVENT_FORMAT_PROGRESS, kFormatVolumeStart + static_cast<int32_t>(index));
        int32_t result = TQHD_E_NOMEM;
        try {
            result = FormatVolume(drive, index);
        } catch (const std::bad_alloc&) {
        }
        if (result != TQHD_OK) return result;
    }
    return TQHD_OK;
}

int32_t FormatJob::FormatVolume(platform::Drive& drive, size_t index) {
    const uint64_t start = uint64_t{volumes_[index].firstSector} * platform::kSectorSize;
    const auto progress = [this](int32_t value) { Send(TQHD_EVENT_FORMAT_PROGRESS, value); };
    if (volumes_[index].entryIndex == kRawAreaEntry) {
        return formatRawArea(drive, start, RawAreaBytes(), formatTime_, progress);
    }
    return formatExt2Volume(drive, start, formatTime_, FormatHooks{[this] { return Interruption(); }, progress});
}

// The disk object going away (its drive was unplugged) ends the format with TQHD_E_NOTFOUND; a
// quit message posted by TQHD_Stop stops it.
int32_t FormatJob::Interruption() const {
    if (disk_.stopFlag) return TQHD_E_NOTFOUND;
    return StopRequested();
}

// Back to reading: a fresh read-only handle, volumes read again from the new superblocks, and
// the listed name taken from the new raw superblock (empty).
void FormatJob::Finish(int32_t result) {
    if (result != TQHD_OK) platform::debugOut("## disk ## 开始格式化 - 3, 格式化失败，错误代码=%d\n", result);
    if (!disk_.stopFlag) {
        if (!disk_.ReopenForReading()) {
            if (result == TQHD_OK) result = TQHD_E_OPEN;
        } else {
            (void)disk_.GetPartitions(nullptr, nullptr);
            disk_.ClearInodeCaches();
            RefreshListedName();
        }
    }
    if (result == TQHD_OK) platform::debugOut("## disk ## 开始格式化 - 5, 格式化完成\n");
    disk_.formatting = false;
    Send(TQHD_EVENT_FORMAT_DONE, result);
}

void FormatJob::RefreshListedName() {
    const std::string name = disk_.ReadName();
    nvr::CAutoCri guard(GlobalLock());
    HardDiskEntry* entry = TheInventory().FindByState(&disk_);
    if (entry == nullptr) return;
    std::memset(entry->device.szName, 0, sizeof entry->device.szName);
    std::memcpy(entry->device.szName, name.data(), std::min(name.size(), sizeof entry->device.szName));
}

}  // namespace drelmo
