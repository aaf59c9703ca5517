// One whole-drive copy: the worker's resume check, chunk loop, source and target passes over a
// failed chunk, and the end that leaves a resume record or clears it.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

#include "bad_run_log.h"
#include "disk_state.h"
#include "platform/drive.h"

namespace drelmo {

constexpr uint64_t kCopyChunk = 10485760;  // 10 MiB: one read and one write each

// Copy progress values of TQHD_EVENT_COPY_PROGRESS.
constexpr int32_t kCopyResumeQuestion = 0x4000000;  // + chunk of the recorded offset
constexpr int32_t kCopySourcePass = 0x2000000;
constexpr int32_t kCopyTargetPass = 0x3000000;
constexpr int32_t kCopyChunkDone = 0x1000001;       // + chunk index
// Answers to the resume question.
constexpr int32_t kResumeAnswerYes = 1;
constexpr int32_t kResumeAnswerCancel = 10;

struct CopyDrives {
    int32_t sourceNumber = 0;
    int32_t targetNumber = 0;
    std::unique_ptr<platform::Drive> source;
    std::unique_ptr<platform::Drive> target;
    uint64_t sourceSize = 0;
    uint64_t targetSize = 0;
};

class CopyJob {
public:
    CopyJob(DiskState& disk, CopyDrives drives);
    // The worker's body: runs the copy and sends the done event last.
    void Run();

private:
    int32_t Send(int32_t value);
    int32_t CheckResume(uint64_t& start);
    int32_t CopyLoop(uint64_t start);
    int32_t CopyChunk(uint64_t offset, size_t length);
    int32_t Interruption() const;
    int32_t SourcePass(uint64_t offset, size_t length, size_t delivered);
    int32_t TargetPass(uint64_t offset, std::span<const uint8_t> bytes);
    int32_t WriteStretch(uint64_t offset, std::span<const uint8_t> bytes);
    int32_t SectorCheck() const;
    int32_t Finish(int32_t result);
    int32_t WriteLastSector(std::span<const uint8_t> sector);

    DiskState& disk_;
    CopyDrives drives_;
    std::vector<uint8_t> buffer_;
    uint64_t reached_ = 0;       // the target offset up to which the copy is complete
    bool keepTarget_ = false;    // ended before touching the target: leave its last sector alone
    BadRunLog sourceLog_ = BadRunLog::sourceLog();
    BadRunLog targetLog_ = BadRunLog::targetLog();
};

// Result of a pass or chunk whose drive went away (unplugged): the copy ends with this code.
constexpr int32_t kDriveGone = TQHD_E_NOTFOUND;

}  // namespace drelmo
