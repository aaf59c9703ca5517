#include "copy_job.h"

#include <algorithm>
#include <cstring>

#include "platform/debug.h"
#include "platform/drive_usage.h"
#include "resume_record.h"

namespace drelmo {

namespace {

// Reads up to `count` bytes at `offset`; the bytes delivered, 0 on failure.
size_t readSome(platform::Drive& drive, uint64_t offset, uint8_t* buffer, size_t count) {
    const int64_t got = drive.readAt(offset, buffer, count);
    return got > 0 ? static_cast<size_t>(got) : 0;
}

bool writeAll(platform::Drive& drive, uint64_t offset, std::span<const uint8_t> bytes) {
    return drive.writeAt(offset, bytes.data(), bytes.size()) == static_cast<int64_t>(bytes.size());
}

}  // namespace

CopyJob::CopyJob(DiskState& disk, CopyDrives drives) : disk_(disk), drives_(std::move(drives)) {}

int32_t CopyJob::Send(int32_t value) {
    TQHD_EVENT event{TQHD_EVENT_COPY_PROGRESS, value};
    disk_.Notify(&event);
    return event.lValue;
}

void CopyJob::Run() {
    uint64_t start = 0;
    int32_t result = CheckResume(start);
    if (result == TQHD_OK) result = CopyLoop(start);
    result = Finish(result);
    TQHD_EVENT done{TQHD_EVENT_COPY_DONE, result};
    disk_.Notify(&done);
}

// A stopped copy left a record in the target's last sector; when the target's first chunk still
// matches the source's (past the boot sector), the receiver decides whether to resume. The last
// sector is read first, so a copy onto a target without a record reads nothing twice.
int32_t CopyJob::CheckResume(uint64_t& start) {
    start = 0;
    SectorBytes last{};
    if (drives_.target->readAt(drives_.targetSize - platform::kSectorSize, last.data(), last.size()) !=
        static_cast<int64_t>(last.size())) {
        return TQHD_E_READ;
    }
    const auto recorded = decodeResumeRecord(last);
    if (!recorded || *recorded >= drives_.sourceSize) return TQHD_OK;
    const size_t length = static_cast<size_t>(std::min({kCopyChunk, drives_.sourceSize, drives_.targetSize}));
    std::vector<uint8_t> source(length);
    std::vector<uint8_t> target(length);
    if (drives_.source->readAt(0, source.data(), length) != static_cast<int64_t>(length) ||
        drives_.target->readAt(0, target.data(), length) != static_cast<int64_t>(length)) {
        return TQHD_E_READ;
    }
    if (length <= platform::kSectorSize ||
        std::memcmp(source.data() + platform::kSectorSize, target.data() + platform::kSectorSize,
                    length - platform::kSectorSize) != 0) {
        return TQHD_OK;
    }
    const int32_t answer = Send(kCopyResumeQuestion + static_cast<int32_t>(*recorded / kCopyChunk));
    if (answer == kResumeAnswerCancel) {
        keepTarget_ = true;
        return TQHD_E_STOPPED;
    }
    // Resuming at the start of the chunk that holds the offset copies whole chunks as before.
    if (answer == kResumeAnswerYes) start = *recorded / kCopyChunk * kCopyChunk;
    return TQHD_OK;
}

int32_t CopyJob::CopyLoop(uint64_t start) {
    const uint64_t sectorSize = platform::kSectorSize;
    uint64_t chunks = drives_.sourceSize / kCopyChunk;
    const uint64_t lastLength = drives_.sourceSize % kCopyChunk / sectorSize * sectorSize;
    if (lastLength > 0) chunks += 1;
    try {
        buffer_.resize(kCopyChunk);
    } catch (const std::bad_alloc&) {
        return TQHD_E_NOMEM;
    }
    Send(static_cast<int32_t>(chunks));
    reached_ = start;
    for (uint64_t index = start / kCopyChunk; index < chunks; ++index) {
        if (const int32_t stop = Interruption(); stop != TQHD_OK) return stop;
        const bool last = index + 1 == chunks && lastLength > 0;
        const int32_t result = CopyChunk(index * kCopyChunk, last ? lastLength : kCopyChunk);
        if (result != TQHD_OK) return result;
        reached_ = (index + 1) * kCopyChunk;
        Send(kCopyChunkDone + static_cast<int32_t>(index));
    }
    reached_ = drives_.sourceSize;
    buffer_ = {};
    return TQHD_OK;
}

// Before each chunk: the disk object going away or either drive unplugged ends the copy with
// kDriveGone; a quit message posted by TQHD_Stop stops it.
int32_t CopyJob::Interruption() const {
    if (disk_.stopFlag) return kDriveGone;
    if (StopRequested() == TQHD_E_STOPPED) return TQHD_E_STOPPED;
    if (!platform::drivePresent(drives_.sourceNumber) || !platform::drivePresent(drives_.targetNumber)) {
        return kDriveGone;
    }
    return TQHD_OK;
}

int32_t CopyJob::CopyChunk(uint64_t offset, size_t length) {
    const size_t got = readSome(*drives_.source, offset, buffer_.data(), length);
    if (got < length) {
        std::memset(buffer_.data() + got, 0, length - got);  // what the source pass cannot read stays zero
        Send(kCopySourcePass);
        return SourcePass(offset, length, got);
    }
    if (writeAll(*drives_.target, offset, std::span<const uint8_t>(buffer_.data(), length))) return TQHD_OK;
    Send(kCopyTargetPass);
    return TargetPass(offset, std::span<const uint8_t>(buffer_.data(), length));
}

// The end of every copy: a finished copy clears an old resume record (when the last sector is
// not part of the copy) and flushes the target; a stopped one records where it got to.
int32_t CopyJob::Finish(int32_t result) {
    if (result == TQHD_OK && drives_.targetSize != drives_.sourceSize) {
        result = WriteLastSector(SectorBytes{});
    } else if ((result == TQHD_E_STOPPED || result == kDriveGone) && !keepTarget_ &&
               platform::drivePresent(drives_.targetNumber)) {
        const int32_t recorded = WriteLastSector(encodeResumeRecord(reached_));
        if (result == TQHD_E_STOPPED) result = recorded == TQHD_OK ? result : recorded;
    }
    if (!keepTarget_ && !drives_.target->flush() && result == TQHD_OK) result = TQHD_E_WRITE;
    if (result == TQHD_OK) disk_.ClearInodeCaches();
    platform::debugOut("## disk ## 拷贝结束, 结果 = 0x%X\n", static_cast<unsigned>(result));
    drives_.source.reset();
    drives_.target.reset();
    buffer_ = {};
    disk_.copying = false;
    return result;
}

int32_t CopyJob::WriteLastSector(std::span<const uint8_t> sector) {
    if (drives_.targetSize < platform::kSectorSize) return TQHD_E_SEEK;
    return writeAll(*drives_.target, drives_.targetSize - platform::kSectorSize, sector) ? TQHD_OK : TQHD_E_WRITE;
}

}  // namespace drelmo
