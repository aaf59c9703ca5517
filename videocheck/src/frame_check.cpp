// The frame check: find each frame header, verify its payload's check byte, move on.
//
// Between frames a header may start at any byte. Instead of decoding 12 bytes at every position,
// the scan looks for the "dc" marker with memchr over large views and decodes only where it
// occurs; the positions it passes over could not have matched, so the result is the same.
#include "videocheck/frame_check.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "byte_source.h"
#include "videocheck/frame_header.h"

namespace videocheck {
namespace {

constexpr size_t kScanBlock = size_t{64} << 10;  // the stop flag is read once per block
constexpr size_t kMaxSamples = 128;

bool stopRequested(const StopFlag& stop) { return stop.load(std::memory_order_relaxed) != 0; }

// The first position in `bytes` where a header can start, looking only at starts whose bytes
// 1 to 3 lie inside `bytes`; nullopt when there is none.
std::optional<size_t> findCandidate(std::span<const uint8_t> bytes) {
    if (bytes.size() < 4) return std::nullopt;
    const uint8_t* data = bytes.data();
    const size_t limit = bytes.size() - 3;
    size_t start = 0;
    while (start < limit) {
        const void* hit = std::memchr(data + start + 2, 'd', limit - start);
        if (hit == nullptr) return std::nullopt;
        const size_t at = static_cast<size_t>(static_cast<const uint8_t*>(hit) - data) - 2;
        if (data[at + 3] == 'c' && decodeFrameHeader(bytes.subspan(at, 4))) return at;
        start = at + 1;
    }
    return std::nullopt;
}

// The next header position at or after `position`; nullopt at the end of the data, on a read
// error or when stopped.
std::optional<uint64_t> findHeader(ByteSource& source, uint64_t position, const StopFlag& stop) {
    while (position < source.size() && !stopRequested(stop)) {
        const std::span<const uint8_t> bytes = source.view(position, kScanBlock);
        if (bytes.empty()) return std::nullopt;
        if (const auto at = findCandidate(bytes)) return position + *at;
        // A header needs bytes 1 to 3 inside the data, so none starts in the last three bytes.
        if (position + bytes.size() >= source.size()) return std::nullopt;
        position += std::max<size_t>(bytes.size() - 3, 1);
    }
    return std::nullopt;
}

std::optional<uint8_t> sumPayload(ByteSource& source, uint64_t start, uint32_t length) {
    if (length <= kMaxSamples) {
        const std::span<const uint8_t> bytes = source.view(start, length);
        if (bytes.size() < length) return std::nullopt;
        return payloadCheckSum(bytes.first(length));
    }
    const uint32_t stride = length >> 7;
    const uint32_t count = std::min<uint32_t>(length / stride, kMaxSamples);
    uint8_t sum = 0;
    // Ascending positions, so a file source moves its window forward only.
    for (uint64_t offset = length - 1 - uint64_t{count - 1} * stride; offset < length; offset += stride) {
        const std::span<const uint8_t> byte = source.view(start + offset, 1);
        if (byte.empty()) return std::nullopt;
        sum = static_cast<uint8_t>(sum + byte[0]);
    }
    return sum;
}

CheckCode checkSource(ByteSource& source, const StopFlag& stop) {
    if (source.size() == 0) return CheckCode::ReadFailure;
    uint64_t position = 0;
    while (!stopRequested(stop)) {
        const std::optional<uint64_t> at = findHeader(source, position, stop);
        if (!at) break;
        const std::optional<FrameHeader> header = decodeFrameHeader(source.view(*at, FrameHeader::kEncodedSize));
        if (!header) break;  // only after a read error
        const uint64_t payload = *at + FrameHeader::kEncodedSize + header->skippedLength;
        const uint64_t end = payload + header->payloadLength;
        if (end > source.size()) break;  // the last frame runs past the end: keep the result so far
        const std::optional<uint8_t> sum = sumPayload(source, payload, header->payloadLength);
        if (!sum) break;
        if (*sum != header->checkByte) return CheckCode::Failure;
        if (end == source.size()) break;
        position = end;
    }
    return source.failed() ? CheckCode::ReadFailure : CheckCode::Success;
}

const StopFlag& neverStop() {
    static const StopFlag flag{0};
    return flag;
}

}  // namespace

uint8_t payloadCheckSum(std::span<const uint8_t> payload) {
    const size_t length = payload.size();
    const size_t stride = length <= kMaxSamples ? 1 : length >> 7;
    const size_t count = length <= kMaxSamples ? length : std::min(length / stride, kMaxSamples);
    uint8_t sum = 0;
    for (size_t sample = 0; sample < count; ++sample) sum = static_cast<uint8_t>(sum + payload[length - 1 - sample * stride]);
    return sum;
}

CheckCode checkBytes(std::span<const uint8_t> bytes, const StopFlag& stop) {
    MemorySource source(bytes);
    return checkSource(source, stop);
}

CheckCode checkBytes(std::span<const uint8_t> bytes) { return checkBytes(bytes, neverStop()); }

CheckCode checkFile(const std::string& path, const StopFlag& stop) {
    FileSource source(path);
    if (!source.opened()) return CheckCode::ReadFailure;
    return checkSource(source, stop);
}

CheckCode checkFile(const std::string& path) { return checkFile(path, neverStop()); }

}  // namespace videocheck
