// Opens a recording through the client library (so it works directly and through the service);
// its times come from the index file's header, the payload length from stream bytes 68 to 71,
// checked against the INDX table that must begin there.
#include "recording_summary.h"

#include <strings.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

#include "library_handle.h"
#include "nvr/byte_reader.h"

namespace nvrdisk {
namespace {

constexpr size_t kTableHead = 16;
// The index file's header: 4 bytes, then the begin and the end time, six bytes each.
constexpr size_t kIndexHeader = 32;
constexpr size_t kBeginTime = 4;
constexpr size_t kEndTime = 10;

// The first bytes of the index file, as many as its header takes.
std::vector<uint8_t> readIndexHeader(TQHDC_HANDLE disk, const TQHD_FIND_DATA& entry) {
    LibraryHandle file(TQHDC_OpenFileByFind(disk, &entry));
    std::vector<uint8_t> bytes(kIndexHeader);
    const int32_t got = file ? TQHDC_ReadFile(file.get(), bytes.data(), static_cast<int32_t>(bytes.size())) : -1;
    if (got != static_cast<int32_t>(bytes.size())) return {};
    return bytes;
}

// A stored time: year - 2000, month, day, hour, minute, second.
NVRFS_SYSTEMTIME decodeTime(nvr::ByteReader& reader, size_t offset) {
    NVRFS_SYSTEMTIME time{};
    time.wYear = static_cast<uint16_t>(reader.u8(offset) + 2000);
    time.wMonth = reader.u8(offset + 1);
    time.wDay = reader.u8(offset + 2);
    time.wHour = reader.u8(offset + 3);
    time.wMinute = reader.u8(offset + 4);
    time.wSecond = reader.u8(offset + 5);
    return time;
}

// A recording has times unless both stored months are 0.
void takeTimes(const std::vector<uint8_t>& header, RecordingSummary& summary) {
    nvr::ByteReader reader(header);
    summary.begin = decodeTime(reader, kBeginTime);
    summary.end = decodeTime(reader, kEndTime);
    summary.hasTimes = summary.begin.wMonth != 0 || summary.end.wMonth != 0;
    if (!summary.hasTimes) summary.begin = summary.end = NVRFS_SYSTEMTIME{};
}

// Reads `count` stream bytes at `offset`; false when they are not all there.
bool readAt(TQHDC_HANDLE stream, uint64_t offset, uint8_t* out, size_t count) {
    if (offset > INT32_MAX || TQHDC_SeekFile(stream, static_cast<int32_t>(offset), 0) != TQHD_OK) return false;
    return TQHDC_ReadFile(stream, out, static_cast<int32_t>(count)) == static_cast<int32_t>(count);
}

// The 16-byte table head at `offset`, when it is one whose length reaches the end of the stream.
bool tableAt(TQHDC_HANDLE stream, uint64_t offset, uint64_t streamLength, uint64_t& entries) {
    std::array<uint8_t, kTableHead> head{};
    if (offset + kTableHead > streamLength || !readAt(stream, offset, head.data(), head.size())) return false;
    const uint32_t length = nvr::ByteReader(head.data(), head.size()).u32le(12);
    if (std::memcmp(head.data(), "INDX", 4) != 0 || offset + length != streamLength) return false;
    entries = (length - kTableHead) / 20;
    return true;
}

// The payload length: stream bytes 68 to 71 for payloads of 72 bytes or more, else the offset
// of the table found by trying the few places it can have.
uint64_t payloadLengthOf(TQHDC_HANDLE stream, uint64_t streamLength, uint64_t& entries) {
    std::array<uint8_t, 4> field{};
    if (readAt(stream, 68, field.data(), field.size())) {
        const uint64_t length = nvr::ByteReader(field.data(), field.size()).u32le(0);
        if (length >= 72 && tableAt(stream, length, streamLength, entries)) return length;
    }
    for (uint64_t offset = 0; offset < 72; ++offset)
        if (tableAt(stream, offset, streamLength, entries)) return offset;
    return 0;
}

}  // namespace

bool namesRecording(const TQHD_FIND_DATA& entry) {
    const size_t length = strnlen(entry.szName, sizeof entry.szName);
    return entry.lType != TQHD_TYPE_DIRECTORY && length > 4 && strcasecmp(entry.szName + length - 4, ".nvr") == 0;
}

std::optional<RecordingSummary> summarizeRecording(TQHDC_HANDLE disk, const TQHD_FIND_DATA& entry) {
    const std::vector<uint8_t> header = readIndexHeader(disk, entry);
    if (header.empty()) return std::nullopt;
    LibraryHandle recording(TQHDC_OpenAVFileByFind(disk, &entry));
    const int64_t streamLength = recording ? TQHDC_GetFileLength(recording.get()) : -1;
    if (streamLength < 0) return std::nullopt;
    RecordingSummary summary;
    takeTimes(header, summary);
    summary.streamLength = static_cast<uint64_t>(streamLength);
    summary.payloadLength = payloadLengthOf(recording.get(), summary.streamLength, summary.entries);
    summary.units = (summary.payloadLength + 65535) / 65536;
    return summary;
}

std::string formatTime(const NVRFS_SYSTEMTIME& time) {
    char text[64];  // room for any 16-bit values
    std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u", time.wYear, time.wMonth, time.wDay, time.wHour,
                  time.wMinute, time.wSecond);
    return text;
}

std::string formatTimeSpan(const RecordingSummary& summary) {
    if (!summary.hasTimes) return "no times";
    const std::string begin = formatTime(summary.begin);
    const std::string end = formatTime(summary.end);
    const bool sameDay = begin.compare(0, 10, end, 0, 10) == 0;
    return begin + " - " + (sameDay ? end.substr(11) : end);
}

}  // namespace nvrdisk
