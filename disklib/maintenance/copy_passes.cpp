// The passes over a chunk that did not copy whole: sector by sector, copying what can be read
// and written at its own offsets and logging the runs that cannot.
#include <cstring>

#include "copy_job.h"
#include "platform/drive_usage.h"

namespace drelmo {

namespace {
constexpr size_t kSector = platform::kSectorSize;
}

// Between sectors of a pass: a quit message stops the copy; the disk object going away ends the
// pass (the chunk loop then ends the copy).
int32_t CopyJob::SectorCheck() const {
    if (StopRequested() == TQHD_E_STOPPED) return TQHD_E_STOPPED;
    if (disk_.stopFlag) return kDriveGone;
    return TQHD_OK;
}

// The source pass: `delivered` bytes of the chunk at `offset` were read; the rest is read
// sector by sector into the chunk buffer, and each stretch of readable sectors between two bad
// ones goes to the target in one write.
int32_t CopyJob::SourcePass(uint64_t offset, size_t length, size_t delivered) {
    if (delivered > 0) {
        if (const int32_t result = WriteStretch(offset, {buffer_.data(), delivered}); result != TQHD_OK) return result;
    }
    OpenLog open(sourceLog_);
    BadRun run;
    size_t pending = delivered;  // start of the readable sectors not yet written
    size_t position = delivered;
    for (; position + kSector <= length; position += kSector) {
        if (const int32_t stop = SectorCheck(); stop != TQHD_OK) return stop;
        if (drives_.source->readAt(offset + position, buffer_.data() + position, kSector) == kSector) {
            sourceLog_.finishRun(run);
            continue;
        }
        if (!platform::drivePresent(drives_.sourceNumber)) return kDriveGone;
        std::memset(buffer_.data() + position, 0, kSector);
        if (!run.active()) {
            const int32_t result = WriteStretch(offset + pending, {buffer_.data() + pending, position - pending});
            if (result != TQHD_OK) return result;
            run.position = offset + position;
        }
        run.length += kSector;
        pending = position + kSector;  // the bad sector is skipped on both drives
    }
    sourceLog_.finishRun(run);
    return WriteStretch(offset + pending, {buffer_.data() + pending, position - pending});
}

// Writes readable bytes at their own offset; a failed write runs the target pass over them.
int32_t CopyJob::WriteStretch(uint64_t offset, std::span<const uint8_t> bytes) {
    if (bytes.empty()) return TQHD_OK;
    if (drives_.target->writeAt(offset, bytes.data(), bytes.size()) == static_cast<int64_t>(bytes.size())) {
        return TQHD_OK;
    }
    return TargetPass(offset, bytes);
}

// The target pass: writes the bytes sector by sector and logs the runs the target refuses.
int32_t CopyJob::TargetPass(uint64_t offset, std::span<const uint8_t> bytes) {
    OpenLog open(targetLog_);
    BadRun run;
    for (size_t position = 0; position + kSector <= bytes.size(); position += kSector) {
        if (const int32_t stop = SectorCheck(); stop != TQHD_OK) return stop;
        if (drives_.target->writeAt(offset + position, bytes.data() + position, kSector) == kSector) {
            targetLog_.finishRun(run);
            continue;
        }
        if (!platform::drivePresent(drives_.targetNumber)) return kDriveGone;
        if (!run.active()) run.position = offset + position;
        run.length += kSector;
    }
    targetLog_.finishRun(run);
    return TQHD_OK;
}

}  // namespace drelmo
