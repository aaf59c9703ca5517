// Bulk data through the shared section: up to S bytes at offset 0 in one step; more as a chunked
// transfer through the window at offset 1, handed over with the flag byte at offset 0 (1: the
// writer may fill the window, 0: a chunk is ready for the reader).
//
// Both sides wait for the flag by spinning briefly, then yielding, then sleeping in short steps;
// while waiting they ask `peerAlive` and give up when it says no or when no chunk moved for
// `stallLimit`. A peer that vanishes or stops reading costs only its own connection.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>

namespace protocol {

struct TransferGuard {
    std::function<bool()> peerAlive;                     // null: the peer is taken as alive
    std::chrono::milliseconds stallLimit{10000};         // longest wait for the flag
};

// n <= S: copies the data to offset 0.
void placeInSection(std::span<uint8_t> section, std::span<const uint8_t> data);
// n <= S: copies n bytes from offset 0 into `out` and clears them in the section.
void takeFromSection(std::span<uint8_t> section, std::span<uint8_t> out);

// Sets the flag byte to 1; the writer of a chunked transfer does this before it sends the reply,
// since a cleared flag would read as a ready chunk.
void armChunkedTransfer(std::span<uint8_t> section);
// Streams `data` (more than S bytes) chunk by chunk. 0, or kWriteFailed when the reader vanished
// or stalled.
int32_t sendChunked(std::span<uint8_t> section, std::span<const uint8_t> data, const TransferGuard& guard);
// Receives `out.size()` bytes (more than S) chunk by chunk. 0, or kReadFailed when the writer
// vanished or stalled.
int32_t receiveChunked(std::span<uint8_t> section, std::span<uint8_t> out, const TransferGuard& guard);

// Either mode, chosen by the size: the reader's side of any transfer.
int32_t receiveSectionData(std::span<uint8_t> section, std::span<uint8_t> out, const TransferGuard& guard);

}  // namespace protocol
