// Fuzzes the index parser and the table and stream built from it: whatever the index data holds,
// nothing is read past its end, and every table and stream length stays consistent.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "index_parser.h"
#include "indx_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy, so any read past the end meets the sanitizer's redzone.
    const std::vector<uint8_t> bytes(data, data + size);
    const quarnel::ParsedIndex parsed = quarnel::parseIndex(bytes);
    const std::vector<uint8_t> table = quarnel::buildIndxTable(parsed.entries);
    if (table.size() != quarnel::kIndxHeadSize + quarnel::kIndxEntrySize * parsed.entries.size()) std::abort();
    if (parsed.payloadLength > uint64_t{parsed.units.size()} * quarnel::kUnitSize) std::abort();
    if (parsed.entries.size() > parsed.units.size()) std::abort();
    return 0;
}
