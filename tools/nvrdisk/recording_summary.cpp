// Reads a recording's index file through the disk library and opens it in the recording library
// on the disk's drive; the payload length is read from stream bytes 68 to 71 and checked against
// the INDX table that must begin there.
#include "recording_summary.h"

#include <strings.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <vector>

#include "library_handle.h"

namespace nvrdisk {
namespace {

constexpr size_t kTableHead = 16;

class RecordingHandle {
public:
    explicit RecordingHandle(NVRFS_HANDLE handle) : handle_(handle) {}
    ~RecordingHandle() { NVRFS_close(handle_); }
    RecordingHandle(const RecordingHandle&) = delete;
    RecordingHandle& operator=(const RecordingHandle&) = delete;
    NVRFS_HANDLE get() const { return handle_; }

private:
    NVRFS_HANDLE handle_;
};

std::vector<char> readIndexFile(TQHD_HANDLE disk, const TQHD_FIND_DATA& entry) {
    LibraryHandle file(TQHD_OpenFileByFind(disk, &entry));
    const int64_t length = file ? TQHD_GetFileLength(file.get()) : -1;
    if (length <= 0 || length > (64 << 20)) return {};
    std::vector<char> bytes(static_cast<size_t>(length));
    const int32_t got = TQHD_ReadFile(file.get(), bytes.data(), static_cast<int32_t>(bytes.size()));
    if (got != static_cast<int32_t>(bytes.size())) return {};
    return bytes;
}

// The drive number of a listed disk handle, or -1.
int driveNumberOf(TQHD_HANDLE disk) {
    unsigned count = 0;
    if (TQHD_GetHardDiskList(nullptr, &count) != TQHD_OK) return -1;
    std::vector<TQHD_DISK_INFO> disks(count);
    if (count == 0 || TQHD_GetHardDiskList(disks.data(), &count) != TQHD_OK) return -1;
    for (unsigned index = 0; index < count; ++index)
        if (TQHD_OpenHardDisk(&disks[index]) == disk) return disks[index].hdindex;
    return -1;
}

// The 16-byte table head at `offset`, when it is one whose length reaches the end of the stream.
bool tableAt(NVRFS_HANDLE handle, uint64_t offset, uint64_t streamLength, uint64_t& entries) {
    std::array<uint8_t, kTableHead> head{};
    if (offset + kTableHead > streamLength || NVRFS_seek(handle, static_cast<int32_t>(offset), 0) < 0 ||
        NVRFS_read(reinterpret_cast<char*>(head.data()), 1, kTableHead, handle) != static_cast<int32_t>(kTableHead))
        return false;
    const uint32_t length = head[12] | head[13] << 8 | head[14] << 16 | uint32_t{head[15]} << 24;
    if (std::memcmp(head.data(), "INDX", 4) != 0 || offset + length != streamLength) return false;
    entries = (length - kTableHead) / 20;
    return true;
}

// The payload length: stream bytes 68 to 71 for payloads of 72 bytes or more, else the offset
// of the table found by trying the few places it can have.
uint64_t payloadLengthOf(NVRFS_HANDLE handle, uint64_t streamLength, uint64_t& entries) {
    std::array<uint8_t, 4> field{};
    if (NVRFS_seek(handle, 68, 0) == 68 && NVRFS_read(reinterpret_cast<char*>(field.data()), 1, 4, handle) == 4) {
        const uint64_t length = field[0] | field[1] << 8 | field[2] << 16 | uint64_t{field[3]} << 24;
        if (length >= 72 && tableAt(handle, length, streamLength, entries)) return length;
    }
    for (uint64_t offset = 0; offset < 72; ++offset)
        if (tableAt(handle, offset, streamLength, entries)) return offset;
    return 0;
}

}  // namespace

bool namesRecording(const TQHD_FIND_DATA& entry) {
    const size_t length = strnlen(entry.szName, sizeof entry.szName);
    return entry.lType != TQHD_TYPE_DIRECTORY && length > 4 && strcasecmp(entry.szName + length - 4, ".nvr") == 0;
}

std::optional<RecordingSummary> summarizeRecording(TQHD_HANDLE disk, const TQHD_FIND_DATA& entry) {
    std::vector<char> index = readIndexFile(disk, entry);
    const int drive = driveNumberOf(disk);
    if (index.empty() || drive < 0) return std::nullopt;
    RecordingHandle recording(NVRFS_open_BufferMode(drive, index.data(), static_cast<uint32_t>(index.size())));
    if (recording.get() == nullptr) return std::nullopt;
    RecordingSummary summary;
    summary.hasTimes = NVRFS_GetTimeInfo(recording.get(), &summary.begin, &summary.end) == 1;
    summary.streamLength = static_cast<uint64_t>(NVRFS_GetFileSize(recording.get()));
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
