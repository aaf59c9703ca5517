// Recordings for NVR disk images: ".nvr" index files written from a description, payload units in
// the raw data area whose bytes are known, and the stream the recording library should serve.
// The payload is a 128-byte head followed by ".264" frames (12-byte headers with a check byte),
// so exported recordings also pass the video check.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "disk_image_builder.h"

namespace nvrtest {

constexpr uint32_t kRawUnitSize = 65536;
constexpr uint32_t kBlockMagic = 0x97653488;
constexpr uint32_t kRawSuperBlockMagic = 0x5A5A4141;
constexpr size_t kPayloadHeadSize = 128;

// ---- Index files, record by record ----

// A time as an index file stores it: year - 2000, month, day, hour, minute, second.
using StoredTime = std::array<uint8_t, 6>;

struct FrameEntryPlan {
    uint16_t unitOffset = 0;
    uint8_t frameType = 0;  // 1: key frame
    uint32_t keyA = 0;
    uint32_t keyB = 0;
};

// One 32-byte block record and its extension, field by field; defaults make a valid plain record.
struct BlockRecordPlan {
    std::vector<uint8_t> bytesBefore;  // written before the record (garbage the scan must skip)
    uint32_t magic = kBlockMagic;
    std::array<uint8_t, 3> blockInfo{};
    uint8_t keyFlag = 0;
    uint32_t unit = 0;
    uint32_t blockOffset = kRawUnitSize;
    uint32_t keyOffset = 0;
    uint32_t keyA = 0;
    uint32_t keyB = 0;
    uint8_t keyMarker = 0;
    uint8_t externMode = 0;
    // Extension length: by default what the mode needs (mode 1: 4 + 16 n, mode 2: 68, others:
    // 4 + 16 n, mode 0: none). The extension holds the frame count, then the frames, zero-padded
    // or cut to this length.
    std::optional<uint16_t> externDataLength;
    std::optional<uint32_t> frameCount;  // by default frames.size()
    std::vector<FrameEntryPlan> frames;
};

struct IndexFilePlan {
    StoredTime begin{};
    StoredTime end{};
    std::vector<BlockRecordPlan> records;
    std::vector<uint8_t> trailing;  // bytes after the last record
};

std::vector<uint8_t> encodeIndexFile(const IndexFilePlan& plan);

// ---- Recordings: payload, index and expected stream from one description ----

// How a recording's index file carries its key frames.
enum class IndexStyle {
    KeyRecords,   // mode 0: one key frame per record (key_marker 0x88), other blocks plain
    FrameLists,   // mode 1: every frame that starts in the block
    FourFrames,   // mode 2: at most four frames per record; blocks without frames are plain mode-2 records
    OtherMode,    // mode 3: frame lists with eight extra extension bytes
    Mixed,        // block i uses the styles above in turn
};

struct RecordingPlan {
    std::string indexPath;          // path of the index file in volume 0, e.g. "rec/ch1.nvr"
    uint8_t channel = 1;
    StoredTime begin{};
    StoredTime end{};
    uint64_t payloadLength = 0;     // P
    std::vector<uint32_t> dataUnits;  // the data unit of each 64 KiB block, ceil(P / 65536) of them
    IndexStyle style = IndexStyle::FrameLists;
    uint64_t seed = 1;              // frame sizes and payload bytes
    int garbageEvery = 0;           // > 0: ten garbage bytes before every n-th record
};

struct FrameStart {
    uint64_t offset = 0;  // stream offset of the frame header
    uint32_t number = 0;
    bool key = false;
};

// The longest payload of at most `atMost` bytes that ends at the end of a frame, so a file holding
// the payload alone passes the video check.
uint64_t frameAlignedLength(uint64_t seed, uint64_t atMost);
// The frames whose headers start inside the payload, in stream order.
std::vector<FrameStart> recordingFrames(const RecordingPlan& recording);
// Payload bytes [offset, offset + out.size()) as they lie in the data units (stream bytes 68 to 71
// hold 0 there: the recorder writes the table offset only into the served stream).
void fillPayload(const RecordingPlan& recording, uint64_t offset, std::span<uint8_t> out);
// The same with the frame list computed once by the caller (for writing big payloads in pieces).
void fillPayload(const RecordingPlan& recording, const std::vector<FrameStart>& frames, uint64_t offset,
                 std::span<uint8_t> out);
IndexFilePlan recordingIndexPlan(const RecordingPlan& recording);
std::vector<uint8_t> recordingIndexFile(const RecordingPlan& recording);
// The "INDX" table the library builds from the index file.
std::vector<uint8_t> expectedIndxTable(const RecordingPlan& recording);
// The whole served stream: payload with bytes 68 to 71 holding P, then the table.
std::vector<uint8_t> expectedStream(const RecordingPlan& recording);

// ---- The raw data area ----

// The area's layout as a formatter lays it out for `areaBytes`.
struct RawAreaLayout {
    uint64_t totalUnits = 0;    // T
    uint32_t dataUnits = 0;     // N = T - floor(T / 100)
    uint32_t bitmapUnits = 0;   // B
    uint32_t dataStart = 0;     // D = 1 + 8 B
    // Data units that lie before the last unit (which holds superblock copies).
    uint64_t usableDataUnits() const { return totalUnits > dataStart + 1 ? totalUnits - 1 - dataStart : 0; }
};
RawAreaLayout rawAreaLayout(uint64_t areaBytes);

// Which of the three RawSuperBlock places are written.
struct SuperBlockPlaces {
    bool unitStart = true;   // unit 0, sector 0
    bool sectorSeven = true; // unit 0, sector 7
    bool lastUnit = true;    // the last whole unit
};

// Writes the raw area's superblocks and tag sectors (keeping a disk name already at byte 165) and
// the recordings' payload units into the image. Throws std::invalid_argument when a unit lies
// outside the area or two blocks share a unit.
void writeRawArea(const std::string& imagePath, const BuiltPartition& area, const std::vector<RecordingPlan>& recordings,
                  SuperBlockPlaces places = {});

// Builds a disk whose volume 0 (partition entry 0, ext2) holds the recordings' index files and
// whose raw area (partition entry 1) holds their payload.
BuiltDisk buildRecordingDisk(DiskPlan plan, const std::vector<RecordingPlan>& recordings, const std::string& path,
                             SuperBlockPlaces places = {});
// The same as drive N of a device directory; the entry appears in one step.
BuiltDisk addRecordingDisk(const DeviceDirectory& devices, int number, DiskPlan plan,
                           const std::vector<RecordingPlan>& recordings, SuperBlockPlaces places = {});

// Physical units of the data area in a shuffled order with gaps: `count` distinct units from
// [0, limit), deterministic for a seed.
std::vector<uint32_t> scatteredUnits(uint32_t count, uint32_t limit, uint64_t seed);

}  // namespace nvrtest
