// The per-frame check of ".264"/".265" recording files: result codes and the check itself.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <string>

namespace videocheck {

enum class CheckCode : int32_t {
    Success = 0,
    NotSupportWatermark = 1,  // has a text, but no input yields it
    Failure = 2,              // a frame's check byte did not match; the scan stopped there
    ReadFailure = 9,          // the file could not be opened or read, or is empty
};

// Set to nonzero by another thread to end a running check early; the check then returns what it
// found so far (Success unless a frame had failed already).
using StopFlag = std::atomic<int32_t>;

// Checks the frames of the file at `path`. The file is read in large blocks; the results are
// those of a scan that tries a header at every byte position between frames.
CheckCode checkFile(const std::string& path, const StopFlag& stop);
CheckCode checkFile(const std::string& path);

// The same check over bytes in memory (an empty span gives ReadFailure, like an empty file).
CheckCode checkBytes(std::span<const uint8_t> bytes, const StopFlag& stop);
CheckCode checkBytes(std::span<const uint8_t> bytes);

// Sum modulo 256 of the payload bytes that the check samples: all of them up to 128 bytes; above
// that 128 bytes (or n / stride when fewer) at stride n >> 7, counted back from the last byte.
uint8_t payloadCheckSum(std::span<const uint8_t> payload);

}  // namespace videocheck
