// Section transfers: one step at offset 0, or chunks through the window handed over by the flag.
#include "protocol/section_transfer.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

#include "protocol/constants.h"

namespace protocol {
namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kWindowFree = 1;   // the writer may fill the window
constexpr uint8_t kChunkReady = 0;   // a chunk waits for the reader
constexpr int kSpinRounds = 4000;
constexpr int kYieldRounds = 200;
constexpr auto kLongestNap = std::chrono::microseconds(500);
constexpr auto kLivenessStep = std::chrono::milliseconds(5);

std::atomic_ref<uint8_t> flagOf(std::span<uint8_t> section) { return std::atomic_ref<uint8_t>(section[0]); }

// Waits until the flag holds `wanted`: spins, yields, then naps with a growing pause; asks the
// guard whether the peer still lives every few milliseconds. False when it died or stalled.
bool waitForFlag(std::span<uint8_t> section, uint8_t wanted, const TransferGuard& guard) {
    auto flag = flagOf(section);
    for (int round = 0; round < kSpinRounds + kYieldRounds; ++round) {
        if (flag.load(std::memory_order_acquire) == wanted) return true;
        if (round >= kSpinRounds) std::this_thread::yield();
    }
    const auto start = Clock::now();
    auto nextCheck = start + kLivenessStep;
    auto nap = std::chrono::microseconds(20);
    while (flag.load(std::memory_order_acquire) != wanted) {
        std::this_thread::sleep_for(nap);
        nap = std::min(nap * 2, std::chrono::duration_cast<std::chrono::microseconds>(kLongestNap));
        const auto now = Clock::now();
        if (now < nextCheck) continue;
        if (guard.peerAlive && !guard.peerAlive()) return false;
        if (now - start > guard.stallLimit) return false;
        nextCheck = now + kLivenessStep;
    }
    return true;
}

}  // namespace

void placeInSection(std::span<uint8_t> section, std::span<const uint8_t> data) {
    const size_t count = std::min(data.size(), section.size());
    if (count > 0) std::memcpy(section.data(), data.data(), count);
}

void takeFromSection(std::span<uint8_t> section, std::span<uint8_t> out) {
    const size_t count = std::min(out.size(), section.size());
    if (count == 0) return;
    std::memcpy(out.data(), section.data(), count);
    std::memset(section.data(), 0, count);
}

void armChunkedTransfer(std::span<uint8_t> section) { flagOf(section).store(kWindowFree, std::memory_order_release); }

int32_t sendChunked(std::span<uint8_t> section, std::span<const uint8_t> data, const TransferGuard& guard) {
    const std::span<uint8_t> window = section.subspan(1);
    size_t sent = 0;
    while (sent < data.size()) {
        if (!waitForFlag(section, kWindowFree, guard)) return kWriteFailed;
        const size_t count = std::min(window.size(), data.size() - sent);
        std::memcpy(window.data(), data.data() + sent, count);
        sent += count;
        flagOf(section).store(kChunkReady, std::memory_order_release);
    }
    return 0;
}

int32_t receiveChunked(std::span<uint8_t> section, std::span<uint8_t> out, const TransferGuard& guard) {
    const std::span<uint8_t> window = section.subspan(1);
    size_t received = 0;
    while (received < out.size()) {
        if (!waitForFlag(section, kChunkReady, guard)) return kReadFailed;
        const size_t count = std::min(window.size(), out.size() - received);
        std::memcpy(out.data() + received, window.data(), count);
        received += count;
        flagOf(section).store(kWindowFree, std::memory_order_release);
    }
    return 0;
}

int32_t receiveSectionData(std::span<uint8_t> section, std::span<uint8_t> out, const TransferGuard& guard) {
    if (out.size() <= section.size()) {
        takeFromSection(section, out);
        return 0;
    }
    return receiveChunked(section, out, guard);
}

}  // namespace protocol
