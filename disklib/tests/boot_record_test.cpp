// Decoding boot records: partition entries, the marker, the signature and the entry-scan limit.
#include "boot_record.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "nvr/byte_reader.h"

namespace drelmo {
namespace {

struct EntryBytes {
    uint8_t type;
    uint32_t first;
    uint32_t count;
};

std::array<uint8_t, 512> Record(const std::array<EntryBytes, 4>& entries, const char* signature = kNvrSignature,
                                uint8_t terminator = 0, bool marker = true) {
    std::array<uint8_t, 512> bytes{};
    nvr::ByteWriter writer(bytes);
    for (size_t i = 0; i < 4; ++i) {
        writer.u8(kPartitionTableOffset + 16 * i + 4, entries[i].type);
        writer.u32le(kPartitionTableOffset + 16 * i + 8, entries[i].first);
        writer.u32le(kPartitionTableOffset + 16 * i + 12, entries[i].count);
    }
    if (signature != nullptr) writer.copy(kSignatureOffset, signature, std::strlen(signature));
    writer.u8(kSignatureOffset + 14, terminator);
    if (marker) {
        writer.u8(510, 0x55);
        writer.u8(511, 0xAA);
    }
    return bytes;
}

constexpr EntryBytes kValid{0x83, 2048, 4096};
constexpr EntryBytes kEmpty{0, 0, 0};

TEST(BootRecord, DecodesEntriesMarkerAndSignature) {
    const auto bytes = Record({kValid, EntryBytes{0x83, 0x12345678, 0x9ABCDEF0}, kEmpty, kEmpty});
    const BootRecord record = decodeBootRecord(bytes);
    EXPECT_TRUE(record.hasMarker);
    EXPECT_TRUE(record.hasSignature);
    EXPECT_EQ(record.entries[1].firstSector, 0x12345678u);
    EXPECT_EQ(record.entries[1].sectorCount, 0x9ABCDEF0u);
    EXPECT_EQ(record.entries[0].type, 0x83);
}

TEST(BootRecord, SignatureIsExactAndTerminated) {
    struct Case {
        const char* text;
        uint8_t terminator;
        bool taken;
    };
    const Case cases[] = {
        {"KXVO-CORVANTEX", 0, true},
        {"KXVO-CORVANTEX", 'X', false},  // a longer text
        {"kxvo-corvantex", 0, false},    // letter case counts
        {"KXVO-CORVANTEY", 0, false},
        {nullptr, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text ? c.text : "(none)");
        EXPECT_EQ(decodeBootRecord(Record({kValid, kValid, kEmpty, kEmpty}, c.text, c.terminator)).hasSignature,
                  c.taken);
    }
}

TEST(BootRecord, MissingMarkerAndShortInput) {
    EXPECT_FALSE(decodeBootRecord(Record({kValid, kValid, kEmpty, kEmpty}, kNvrSignature, 0, false)).hasMarker);
    const std::array<uint8_t, 100> shortRecord{};
    const BootRecord record = decodeBootRecord(shortRecord);
    EXPECT_FALSE(record.hasMarker);
    EXPECT_FALSE(record.hasSignature);
}

TEST(BootRecord, EntryScanLimitCountsEntryOneAlwaysAndTheOthersWhenValid) {
    const EntryBytes noType{0, 2048, 10};
    const EntryBytes noStart{0x83, 0, 10};
    const EntryBytes noCount{0x83, 2048, 0};
    struct Case {
        std::array<EntryBytes, 4> entries;
        int limit;
    };
    const Case cases[] = {
        {{kEmpty, kEmpty, kEmpty, kEmpty}, 1},  {{kValid, kValid, kEmpty, kEmpty}, 2},
        {{kValid, kEmpty, kValid, kValid}, 4},  // entry 1 empty, the others valid
        {{kValid, kValid, kValid, kValid}, 4},  {{noType, kValid, noStart, noCount}, 1},
        {{kEmpty, kEmpty, kEmpty, kValid}, 2},
    };
    for (const Case& c : cases) EXPECT_EQ(entryScanLimit(decodeBootRecord(Record(c.entries))), c.limit);
}

TEST(BootRecord, ExtendedContainersAreNotVolumes) {
    EXPECT_FALSE((PartitionEntry{5, 2048, 10}.isUsable()));
    EXPECT_TRUE((PartitionEntry{5, 2048, 10}.isValid()));
    EXPECT_TRUE((PartitionEntry{0x83, 2048, 10}.isUsable()));
}

}  // namespace
}  // namespace drelmo
