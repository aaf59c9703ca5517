#include "indx_table.h"

#include "nvr/byte_reader.h"

namespace quarnel {
namespace {

void writeEntry(nvr::ByteWriter& writer, size_t offset, const IndxEntry& entry) {
    writer.u32le(offset, entry.entryFlag);
    writer.u32le(offset + 4, entry.streamOffset);
    writer.copy(offset + 8, entry.blockInfo.data(), entry.blockInfo.size());
    writer.u32le(offset + 12, entry.keyA);
    writer.u32le(offset + 16, entry.keyB);
}

}  // namespace

std::vector<uint8_t> buildIndxTable(const std::vector<IndxEntry>& entries) {
    std::vector<uint8_t> table(kIndxHeadSize + kIndxEntrySize * entries.size());
    nvr::ByteWriter writer(table);
    writer.copy(0, "INDX", 4);
    writer.u16le(4, 1);
    writer.u16le(6, 0);
    writer.u16le(8, 2);
    writer.u16le(10, static_cast<uint16_t>(entries.size()));
    writer.u32le(12, static_cast<uint32_t>(table.size()));
    for (size_t index = 0; index < entries.size(); ++index)
        writeEntry(writer, kIndxHeadSize + kIndxEntrySize * index, entries[index]);
    return table;
}

}  // namespace quarnel
