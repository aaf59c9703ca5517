// The service's handle numbers: shared disk numbers, private session numbers, kinds, closing.
#include <gtest/gtest.h>

#include "handle_table.h"

namespace halvex {
namespace {

// Stand-ins for library handles: the table only keeps and compares them.
TQHD_HANDLE fake(uintptr_t value) { return reinterpret_cast<TQHD_HANDLE>(value); }

TEST(HandleTable, ADiskKeepsOneNumberForEverySession) {
    HandleTable table;
    const uint32_t number = table.add(fake(0x1000), HandleKind::Disk, 1);
    EXPECT_NE(number, 0u);
    EXPECT_EQ(table.add(fake(0x1000), HandleKind::Disk, 2), number);
    EXPECT_EQ(table.resolve(number, 1, HandleKind::Disk), fake(0x1000));
    EXPECT_EQ(table.resolve(number, 7, HandleKind::Disk), fake(0x1000));
    EXPECT_TRUE(table.isDisk(number));
    EXPECT_EQ(table.take(number, 1), nullptr) << "disk handles belong to the library";
    EXPECT_TRUE(table.takeAll(1).empty());
    EXPECT_EQ(table.resolve(number, 2, HandleKind::Disk), fake(0x1000));
}

TEST(HandleTable, OtherHandlesArePrivateToTheirSessionAndOfOneKind) {
    HandleTable table;
    const uint32_t file = table.add(fake(0x2000), HandleKind::File, 1);
    const uint32_t directory = table.add(fake(0x3000), HandleKind::Directory, 1);
    EXPECT_NE(file, directory);
    struct Case {
        uint32_t number;
        SessionId session;
        HandleKind kind;
        TQHD_HANDLE expected;
    };
    const Case cases[] = {
        {file, 1, HandleKind::File, fake(0x2000)},
        {file, 2, HandleKind::File, nullptr},
        {file, 1, HandleKind::Directory, nullptr},
        {directory, 1, HandleKind::Directory, fake(0x3000)},
        {directory, 1, HandleKind::Disk, nullptr},
        {0, 1, HandleKind::File, nullptr},
        {12345, 1, HandleKind::File, nullptr},
    };
    for (const Case& c : cases) EXPECT_EQ(table.resolve(c.number, c.session, c.kind), c.expected) << c.number;
    EXPECT_EQ(table.resolveAny(file, 2), nullptr);
    EXPECT_EQ(table.add(nullptr, HandleKind::File, 1), 0u) << "a failed open has no number";
}

TEST(HandleTable, ClosingTakesOnlyTheSessionsOwnHandles) {
    HandleTable table;
    const uint32_t disk = table.add(fake(0x1000), HandleKind::Disk, 1);
    const uint32_t mine = table.add(fake(0x2000), HandleKind::File, 1);
    const uint32_t second = table.add(fake(0x2100), HandleKind::Directory, 1);
    const uint32_t theirs = table.add(fake(0x4000), HandleKind::File, 2);
    EXPECT_EQ(table.take(theirs, 1), nullptr);
    EXPECT_EQ(table.take(mine, 1), fake(0x2000));
    EXPECT_EQ(table.take(mine, 1), nullptr) << "a number is closed once";
    EXPECT_EQ(table.ownedCount(), 2u);
    const auto left = table.takeAll(1);
    EXPECT_EQ(left, std::vector<TQHD_HANDLE>{fake(0x2100)});
    EXPECT_EQ(table.resolve(second, 1, HandleKind::Directory), nullptr);
    EXPECT_EQ(table.resolve(theirs, 2, HandleKind::File), fake(0x4000));
    EXPECT_EQ(table.resolve(disk, 1, HandleKind::Disk), fake(0x1000));
    EXPECT_EQ(table.ownedCount(), 1u);
}

}  // namespace
}  // namespace halvex
