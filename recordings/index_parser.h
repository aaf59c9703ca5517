// Parses the bytes of an index file into the recording's unit list, payload length and "INDX"
// table entries, in one pass that never reads past the end of the data.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "index_records.h"
#include "indx_table.h"

namespace quarnel {

struct ParsedIndex {
    IndexFileHeader header;
    // Logical unit i of the stream lies in data unit units[i].
    std::vector<uint32_t> units;
    // P: the sum of the accepted records' block offsets.
    uint64_t payloadLength = 0;
    std::vector<IndxEntry> entries;
};

// Parses index data of at least kIndexHeaderSize bytes (shorter data yields an empty index).
// Bytes that do not begin an acceptable record are skipped one at a time; a record, frame count
// or frame entry that would reach past the end of the data ends the scan.
ParsedIndex parseIndex(std::span<const uint8_t> data);

}  // namespace quarnel
