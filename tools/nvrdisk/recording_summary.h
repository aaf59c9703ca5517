// What `info` and `ls` show about a recording: its times, lengths, units and index entries,
// read through the client library.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "nvrfs.h"
#include "tqhdc.h"

namespace nvrdisk {

struct RecordingSummary {
    bool hasTimes = false;
    NVRFS_SYSTEMTIME begin{};
    NVRFS_SYSTEMTIME end{};
    uint64_t streamLength = 0;
    uint64_t payloadLength = 0;
    uint64_t units = 0;    // 64 KiB units the payload spans
    uint64_t entries = 0;  // entries of the INDX table
};

// True when a find record names an index file (".nvr", any case, with a name before it).
bool namesRecording(const TQHD_FIND_DATA& entry);
// The summary of the recording whose index file `entry` is on `disk`; nullopt when the library
// does not open it.
std::optional<RecordingSummary> summarizeRecording(TQHDC_HANDLE disk, const TQHD_FIND_DATA& entry);
// "2026-03-11 08:00:00"
std::string formatTime(const NVRFS_SYSTEMTIME& time);
// "2026-03-11 08:00:00 - 08:04:59" (the end's date only when it differs), or "no times".
std::string formatTimeSpan(const RecordingSummary& summary);

}  // namespace nvrdisk
