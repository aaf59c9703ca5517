// Starting a format: the refusals and the worker thread; the busy list of a refused format.
#include <cstring>
#include <string>

#include "boot_record.h"
#include "format_job.h"
#include "maintenance.h"
#include "platform/debug.h"
#include "platform/drive_usage.h"

namespace drelmo {

namespace {

constexpr int kBusyListReserve = 6;

// Only the layouts of an NVR disk are formatted: two or four volumes, the second the raw data
// area, every other one an ext2 volume whose superblock could be read.
int32_t checkVolumes(const std::vector<VolumeRecord>& volumes) {
    if (volumes.size() != 2 && volumes.size() != 4) return TQHD_E_UNRECOGNISED;
    for (size_t index = 0; index < volumes.size(); ++index) {
        const bool raw = volumes[index].entryIndex == kRawAreaEntry;
        if ((index == kRawAreaEntry) != raw) return TQHD_E_UNRECOGNISED;
        if (!raw && volumes[index].blockSize == 0) return TQHD_E_BADFS;
    }
    return TQHD_OK;
}

}  // namespace

int32_t StartFormat(DiskState& disk, std::unique_ptr<platform::MessageThread>& spent) {
    if (disk.formatting) return TQHD_E_BUSY;
    std::vector<VolumeRecord> volumes = disk.VolumeRecords();
    if (const int32_t refused = checkVolumes(volumes); refused != TQHD_OK) return refused;
    const platform::DriveUsage usage = platform::driveUsage(disk.DriveNumber());
    if (usage != platform::DriveUsage::Free) {
        platform::debugOut("## disk ## 磁盘%d %s\n", disk.DriveNumber(), platform::driveUsageText(usage).c_str());
        return TQHD_E_INUSE;
    }
    // Formatting is announced before the open objects are counted, so a bind that raced past the
    // count sees the flag and fails.
    disk.formatting = true;
    if (disk.openObjects != 0) {
        disk.formatting = false;
        return TQHD_E_INUSE;
    }
    auto job = std::make_shared<FormatJob>(disk, std::move(volumes));
    spent = std::move(disk.formatWorker);
    disk.formatWorker = std::make_unique<platform::MessageThread>();
    if (!disk.formatWorker->start([job] { job->Run(); })) {
        disk.formatting = false;
        return TQHD_E_THREAD;
    }
    return TQHD_OK;
}

void AppendBusyList(char* text, int32_t textSize, const std::vector<OwnerCount>& owners) {
    if (text == nullptr || textSize <= 0) return;
    const size_t capacity = static_cast<size_t>(textSize);
    size_t length = strnlen(text, capacity - 1);
    text[length] = '\0';
    for (size_t index = 0; index < owners.size(); ++index) {
        if (length + kBusyListReserve >= capacity) break;
        std::string item = (index > 0 ? ";" : "") + owners[index].name + "(" + std::to_string(owners[index].count) + ")";
        const size_t taken = std::min(item.size(), capacity - 1 - length);
        std::memcpy(text + length, item.data(), taken);
        length += taken;
        text[length] = '\0';
    }
}

}  // namespace drelmo
