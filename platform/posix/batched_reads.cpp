#include "batched_reads.h"

#include <algorithm>
#include <cerrno>

namespace platform {
namespace {

// Entries of the ring: the pieces of one submission. A 1 MiB read of scattered 64 KiB units is 16.
constexpr unsigned kRingEntries = 64;

}  // namespace

BatchedReads::~BatchedReads() {
    if (state_ == State::Ready) io_uring_queue_exit(&ring_);
}

bool BatchedReads::ringReady() {
    if (state_ == State::Untried)
        state_ = io_uring_queue_init(kRingEntries, &ring_, 0) == 0 ? State::Ready : State::Unavailable;
    return state_ == State::Ready;
}

bool BatchedReads::read(int fd, std::span<const ReadPiece> pieces, std::span<int64_t> results) {
    std::lock_guard lock(mutex_);
    if (!ringReady()) return false;
    for (size_t first = 0; first < pieces.size(); first += kRingEntries) {
        const size_t count = std::min<size_t>(kRingEntries, pieces.size() - first);
        readGroup(fd, pieces.subspan(first, count), results.subspan(first, count));
    }
    return true;
}

// Submits one read per piece and waits for every submitted one; a piece that was not read
// reports -EIO, so the caller reads it again on its own. A ring that took only part of a batch is
// given up: its leftover entries must never reach the kernel with a later batch.
void BatchedReads::readGroup(int fd, std::span<const ReadPiece> pieces, std::span<int64_t> results) {
    std::fill(results.begin(), results.end(), -EIO);
    unsigned queued = 0;
    for (size_t index = 0; index < pieces.size(); ++index) {
        io_uring_sqe* entry = io_uring_get_sqe(&ring_);
        if (entry == nullptr) break;
        const ReadPiece& piece = pieces[index];
        io_uring_prep_read(entry, fd, piece.buffer, static_cast<unsigned>(piece.count), piece.offset);
        io_uring_sqe_set_data64(entry, index);
        ++queued;
    }
    const int submitted = queued == 0 ? 0 : io_uring_submit(&ring_);
    const bool complete = collect(std::max(submitted, 0), results);
    if (!complete || submitted != static_cast<int>(queued)) giveUp();
}

// Takes `submitted` completions; the kernel writes into the callers' buffers until each arrives,
// so this waits for all of them (a signal only interrupts the wait).
bool BatchedReads::collect(int submitted, std::span<int64_t> results) {
    for (int seen = 0; seen < submitted;) {
        io_uring_cqe* completion = nullptr;
        const int error = io_uring_wait_cqe(&ring_, &completion);
        if (error == -EINTR) continue;
        if (error != 0) return false;
        const uint64_t index = io_uring_cqe_get_data64(completion);
        if (index < results.size()) results[index] = completion->res;
        io_uring_cqe_seen(&ring_, completion);
        ++seen;
    }
    return true;
}

void BatchedReads::giveUp() {
    io_uring_queue_exit(&ring_);
    state_ = State::Unavailable;
}

}  // namespace platform
