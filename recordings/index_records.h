// The ".nvr" index file: its 32-byte header, the 32-byte block records and the 16-byte frame
// entries of their extensions, decoded field by field.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace quarnel {

constexpr uint32_t kUnitSize = 65536;
constexpr size_t kIndexHeaderSize = 32;
constexpr size_t kBlockRecordSize = 32;
constexpr size_t kFrameEntrySize = 16;
constexpr size_t kFrameCountSize = 4;
constexpr uint32_t kBlockMagic = 0x97653488;
constexpr uint32_t kMaximumFrames = 64;
constexpr uint8_t kKeyMarker = 0x88;
// A mode-2 extension has room for four frame entries after the frame count.
constexpr uint16_t kModeTwoExtensionLength = 68;

// A time as stored: year - 2000, month, day, hour, minute, second.
struct StoredTime {
    uint8_t year = 0;
    uint8_t month = 0;
    uint8_t day = 0;
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
};

struct IndexFileHeader {
    // 0: 4 bytes not interpreted
    StoredTime begin;  // 4: six bytes
    StoredTime end;    // 10: six bytes
    // 16: 16 bytes not interpreted
};
static_assert(kIndexHeaderSize == 4 + 6 + 6 + 16);

struct BlockRecord {
    uint32_t magic = 0;                    // 0
    std::array<uint8_t, 3> blockInfo{};    // 4
    uint8_t keyFlag = 0;                   // 7: 1 = carries key-frame information
    uint32_t unit = 0;                     // 8: data unit of the block
    uint32_t blockOffset = 0;              // 12: bytes of the unit that belong to the stream
    uint32_t keyOffset = 0;                // 16: key frame inside the unit (mode 0)
    uint32_t keyA = 0;                     // 20: present when keyMarker is 0x88 (mode 0)
    uint32_t keyB = 0;                     // 24
    uint8_t keyMarker = 0;                 // 28
    uint8_t externMode = 0;                // 29
    uint16_t externDataLength = 0;         // 30: extension bytes behind the record
};
static_assert(kBlockRecordSize == 4 + 3 + 1 + 4 * 5 + 1 + 1 + 2);

struct FrameEntry {
    // 0: 4 bytes not interpreted
    uint16_t unitOffset = 0;  // 4: the frame inside the record's unit
    uint8_t frameType = 0;    // 6: 1 = key frame
    // 7: 1 byte not interpreted
    uint32_t keyA = 0;        // 8
    uint32_t keyB = 0;        // 12
};
static_assert(kFrameEntrySize == 4 + 2 + 1 + 1 + 4 + 4);

// Decodes the header; the data holds at least kIndexHeaderSize bytes.
IndexFileHeader decodeIndexHeader(std::span<const uint8_t> data);
// The little-endian u32 at `offset` (a magic or a frame count), or nullopt when it does not fit.
std::optional<uint32_t> u32At(std::span<const uint8_t> data, size_t offset);
// The record at `offset`, or nullopt when its 32 bytes reach past the end of the data.
std::optional<BlockRecord> decodeBlockRecord(std::span<const uint8_t> data, size_t offset);
// The frame entry at `offset`, or nullopt when its 16 bytes reach past the end of the data.
std::optional<FrameEntry> decodeFrameEntry(std::span<const uint8_t> data, size_t offset);

}  // namespace quarnel
