// A recording's payload as a recorder leaves it: a 128-byte head, then ".264" frames, each a
// 12-byte header (channel, '2' key or '3' other, "dc", payload length with its check byte, the
// count of skipped bytes), the skipped bytes and the frame's bytes. Frame bytes are pattern bytes
// of the stream offset, so any payload byte can be computed without keeping the payload.
#include <algorithm>

#include <nvr/byte_reader.h>

#include "recording_builder.h"

namespace nvrtest {
namespace {

constexpr size_t kFrameHeaderSize = 12;
constexpr uint32_t kKeyFrameInterval = 25;
constexpr uint32_t kKeyFrameSkip = 8;  // key frames carry eight bytes between header and payload

uint64_t frameMix(uint64_t seed, uint64_t number) {
    uint64_t value = seed * 0x9E3779B97F4A7C15ull + number + 1;
    value = (value ^ (value >> 30)) * 0xBF58476D1CE4E5B9ull;
    value = (value ^ (value >> 27)) * 0x94D049BB133111EBull;
    return value ^ (value >> 31);
}

struct FrameShape {
    uint32_t payloadLength = 0;
    uint32_t skip = 0;
    uint64_t size() const { return kFrameHeaderSize + skip + payloadLength; }
};

FrameShape frameShape(uint64_t seed, uint32_t number) {
    const bool key = number % kKeyFrameInterval == 0;
    const uint64_t random = frameMix(seed, number);
    if (key) return {static_cast<uint32_t>(20000 + random % 12000), kKeyFrameSkip};
    return {static_cast<uint32_t>(1500 + random % 7000), 0};
}

// The check byte of a frame: the sum of at most 128 payload bytes taken from the end backwards.
uint8_t checkByte(uint64_t seed, uint64_t payloadOffset, uint32_t length) {
    const uint32_t stride = length <= 128 ? 1 : length >> 7;
    const uint32_t count = length <= 128 ? length : std::min<uint32_t>(length / stride, 128);
    uint32_t sum = 0;
    for (uint32_t index = 0; index < count; ++index)
        sum += patternByte(seed, payloadOffset + length - 1 - uint64_t{index} * stride);
    return static_cast<uint8_t>(sum);
}

std::array<uint8_t, kFrameHeaderSize> frameHeader(const RecordingPlan& recording, const FrameStart& frame) {
    const FrameShape shape = frameShape(recording.seed, frame.number);
    const uint64_t payloadOffset = frame.offset + kFrameHeaderSize + shape.skip;
    std::array<uint8_t, kFrameHeaderSize> header{};
    nvr::ByteWriter writer(header.data(), header.size());
    writer.u8(0, static_cast<uint8_t>('0' + recording.channel % 10));
    writer.u8(1, frame.key ? '2' : '3');
    writer.copy(2, "dc", 2);
    writer.u32le(4, shape.payloadLength | uint32_t{checkByte(recording.seed, payloadOffset, shape.payloadLength)} << 24);
    writer.u32le(8, shape.skip);
    return header;
}

std::array<uint8_t, kPayloadHeadSize> payloadHead(const RecordingPlan& recording) {
    std::array<uint8_t, kPayloadHeadSize> head{};
    nvr::ByteWriter writer(head.data(), head.size());
    writer.copy(0, "RHDR", 4);
    writer.u8(4, recording.channel);
    writer.copy(5, recording.begin.data(), recording.begin.size());
    writer.copy(11, recording.end.data(), recording.end.size());
    writer.u32le(64, 1);  // bytes 68 to 71 stay 0: the table offset is not known while recording
    return head;
}

// Copies the part of `bytes` (placed at stream offset `at`) that falls into [offset, offset + out.size()).
void overlay(std::span<const uint8_t> bytes, uint64_t at, uint64_t offset, std::span<uint8_t> out) {
    const uint64_t from = std::max(at, offset);
    const uint64_t to = std::min(at + bytes.size(), offset + out.size());
    if (from < to) std::copy(bytes.begin() + (from - at), bytes.begin() + (to - at), out.begin() + (from - offset));
}

}  // namespace

uint64_t frameAlignedLength(uint64_t seed, uint64_t atMost) {
    uint64_t end = kPayloadHeadSize;
    for (uint32_t number = 0; end + frameShape(seed, number).size() <= atMost; ++number)
        end += frameShape(seed, number).size();
    return end;
}

std::vector<FrameStart> recordingFrames(const RecordingPlan& recording) {
    std::vector<FrameStart> frames;
    uint64_t offset = kPayloadHeadSize;
    for (uint32_t number = 0; offset < recording.payloadLength; ++number) {
        frames.push_back({offset, number, number % kKeyFrameInterval == 0});
        offset += frameShape(recording.seed, number).size();
    }
    return frames;
}

void fillPayload(const RecordingPlan& recording, uint64_t offset, std::span<uint8_t> out) {
    fillPayload(recording, recordingFrames(recording), offset, out);
}

void fillPayload(const RecordingPlan& recording, const std::vector<FrameStart>& frames, uint64_t offset,
                 std::span<uint8_t> out) {
    fillPattern(recording.seed, offset, out);
    const auto head = payloadHead(recording);
    overlay(head, 0, offset, out);
    // The first frame that may reach into the range: the last one starting at or before it.
    auto first = std::upper_bound(frames.begin(), frames.end(), offset,
                                  [](uint64_t at, const FrameStart& frame) { return at < frame.offset; });
    if (first != frames.begin()) --first;
    for (auto frame = first; frame != frames.end() && frame->offset < offset + out.size(); ++frame)
        overlay(frameHeader(recording, *frame), frame->offset, offset, out);
}

}  // namespace nvrtest
