// Batches of positioned reads handed to the kernel in one call through io_uring.
#pragma once

#include <liburing.h>

#include <cstdint>
#include <mutex>
#include <span>

#include "platform/drive.h"

namespace platform {

// One ring per drive handle, made at the first batch. Where the kernel refuses io_uring (an old
// kernel, a sandbox), every batch reports that it was not read and the drive reads piece by piece.
class BatchedReads {
public:
    BatchedReads() = default;
    BatchedReads(const BatchedReads&) = delete;
    BatchedReads& operator=(const BatchedReads&) = delete;
    ~BatchedReads();

    // Reads every piece from `fd`; results[i] is what the kernel answered for piece i (bytes
    // read, or a negative error). False when no ring is available and nothing was read.
    bool read(int fd, std::span<const ReadPiece> pieces, std::span<int64_t> results);

private:
    bool ringReady();
    void readGroup(int fd, std::span<const ReadPiece> pieces, std::span<int64_t> results);
    bool collect(int submitted, std::span<int64_t> results);
    void giveUp();

    std::mutex mutex_;
    io_uring ring_{};
    enum class State { Untried, Ready, Unavailable } state_ = State::Untried;
};

}  // namespace platform
