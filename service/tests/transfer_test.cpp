// Data through the section: reads and listings on both sides of S, a short read at the end of a
// file, and clients that vanish or stop reading in the middle of a chunked transfer.
#include <set>

#include "protocol/records.h"
#include "service_fixture.h"

namespace halvextest {
namespace {

using TransferTest = ServiceTest;

uint32_t openBigFile(RawClient& client) {
    const auto reply = client.call(byName(protocol::kOpenFileByRName, "/1/0/big.bin"));
    EXPECT_TRUE(reply);
    return reply ? reply->value : 0;
}

void seek(RawClient& client, uint32_t file, int64_t offset) {
    protocol::Request request = onHandle(protocol::kSeekFile, file);
    request.wide = offset;
    const auto reply = client.call(request);
    ASSERT_TRUE(reply);
    ASSERT_EQ(reply->status, 0u);
}

std::vector<uint8_t> expectedBytes(uint64_t offset, size_t size) {
    std::vector<uint8_t> bytes(size);
    nvrtest::fillPattern(kBigFileSeed, offset, bytes);
    return bytes;
}

TEST_F(TransferTest, ReadsOnBothSidesOfTheSectionSizeAndAtTheEndOfTheFile) {
    struct Case {
        const char* what;
        uint64_t offset;
        uint32_t wanted;
        uint32_t got;
    };
    const Case cases[] = {
        {"exactly S bytes: one piece at offset 0", 0, 1048577, 1048577},
        {"S + 1 bytes: chunks of 1,048,576 and 2", 0, 1048578, 1048578},
        {"three chunks from the middle", 5, 2999000, 2999000},
        {"2,000,000 wanted with 100 left", kBigFileSize - 100, 2000000, 100},
        {"at the end", kBigFileSize, 2000000, 0},
    };
    RawClient client = connected();
    const uint32_t file = openBigFile(client);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        seek(client, file, static_cast<int64_t>(c.offset));
        const auto reply = client.call(onHandle(protocol::kReadFile, file, c.wanted));
        ASSERT_TRUE(reply);
        EXPECT_EQ(reply->status, 0u);
        ASSERT_EQ(reply->value, c.got);
        EXPECT_TRUE(client.receiveData(c.got) == expectedBytes(c.offset, c.got));
    }
}

TEST_F(TransferTest, AFailedLargeReadSendsTheReplyOnly) {
    RawClient client = connected();
    const auto reply = client.call(onHandle(protocol::kReadFile, 0, 2000000));
    ASSERT_TRUE(reply);
    EXPECT_EQ(static_cast<int32_t>(reply->value), -1);
    const auto next = client.call(onHandle(40, 0));
    ASSERT_TRUE(next) << "no data stream stands between the reply and the next one";
    EXPECT_EQ(next->value, 0u);
}

TEST_F(TransferTest, ListingsOf3799And3800Records) {
    struct Case {
        const char* directory;
        uint32_t records;
    };
    RawClient client = connected();
    for (const Case& c : {Case{"/1/0/d3799/", 3799}, Case{"/1/0/d3800/", 3800}}) {
        SCOPED_TRACE(c.directory);
        const auto opened = client.call(byName(protocol::kOpenFindFileByRName, c.directory));
        ASSERT_TRUE(opened && opened->value != 0);
        const auto listing = client.call(onHandle(protocol::kGetFindFile, opened->value));
        ASSERT_TRUE(listing);
        EXPECT_EQ(listing->status, 0u);
        ASSERT_EQ(listing->value, c.records);
        ASSERT_EQ(listing->extra, c.records * protocol::kFindDataSize);
        const auto bytes = client.receiveData(listing->extra);
        ASSERT_EQ(bytes.size(), listing->extra);
        std::set<std::string> names;
        for (size_t index = 0; index < c.records; ++index) {
            const auto record = protocol::decodeFindData(std::span<const uint8_t>(bytes).subspan(index * protocol::kFindDataSize));
            EXPECT_EQ(record.lType, TQHD_TYPE_FILE);
            names.insert(record.szName);
        }
        EXPECT_EQ(names.size(), c.records);
        EXPECT_EQ(*names.begin(), "f0000");
        EXPECT_EQ(*names.rbegin(), c.records == 3800 ? "f3799" : "f3798");
    }
}

TEST_F(TransferTest, AListingOnAHandleThatIsNoDirectoryCarriesNoRecords) {
    RawClient client = connected();
    const uint32_t file = openBigFile(client);
    const auto listing = client.call(onHandle(protocol::kGetFindFile, file));
    ASSERT_TRUE(listing);
    EXPECT_NE(listing->status, 0u);
    EXPECT_EQ(listing->value, 0u);
    EXPECT_EQ(listing->extra, 0u);
}

// A client that takes the reply of a chunked read and then goes away, or stays and reads
// nothing, costs only its own session: another client reads and lists meanwhile.
TEST_F(TransferTest, AClientThatLeavesOrStallsMidTransferCostsOnlyItsSession) {
    for (bool leaves : {true, false}) {
        SCOPED_TRACE(leaves ? "leaves" : "stalls");
        RawClient stalling = connected();
        const uint32_t file = openBigFile(stalling);
        const auto reply = stalling.call(onHandle(protocol::kReadFile, file, 3000000));
        ASSERT_TRUE(reply);
        ASSERT_EQ(reply->value, 3000000u);
        if (leaves) stalling.close();

        RawClient other = connected();
        const uint32_t otherFile = openBigFile(other);
        const auto read = other.call(onHandle(protocol::kReadFile, otherFile, 2000000));
        ASSERT_TRUE(read);
        ASSERT_EQ(read->value, 2000000u);
        EXPECT_TRUE(other.receiveData(read->value) == expectedBytes(0, 2000000));
    }
}

// A refused format writes the programs that use the disk into the section as text; what an
// earlier chunked transfer left in the section must not become part of it.
TEST_F(TransferTest, ARefusedFormatListsTheProgramsUsingTheDiskInTheSection) {
    RawClient user = connected();
    const uint32_t file = user.call(byName(protocol::kOpenFileByRName, "/14/0/a.txt"))->value;
    ASSERT_NE(file, 0u);
    protocol::Request name = onHandle(protocol::kSetExeFileName, file);
    name.text = "viewer";
    ASSERT_EQ(user.call(name)->value, 0u);

    RawClient client = connected();
    const uint32_t big = openBigFile(client);
    const auto read = client.call(onHandle(protocol::kReadFile, big, 1500000));
    ASSERT_TRUE(read && read->value == 1500000);
    ASSERT_EQ(client.receiveData(read->value).size(), read->value);  // the window keeps its last chunk

    protocol::Request byName25 = byName(protocol::kFormatHDDByRName, "/14/");
    const auto refused = client.call(byName25);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, static_cast<uint32_t>(TQHD_E_INUSE));
    EXPECT_EQ(refused->extra, protocol::kSectionSize);
    const auto text = client.receiveData(refused->extra);
    EXPECT_STREQ(reinterpret_cast<const char*>(text.data()), "viewer(1)");

    protocol::Request byFind = onHandle(protocol::kFormatHDDByFind, 0);
    byFind.disk.hdindex = kBusyDrive;
    const auto again = client.call(byFind);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->status, static_cast<uint32_t>(TQHD_E_INUSE));
    ASSERT_EQ(again->extra, 9u) << "the text's length";
    const auto shortText = client.receiveData(again->extra);
    EXPECT_EQ(std::string(shortText.begin(), shortText.end()), "viewer(1)");
}

}  // namespace
}  // namespace halvextest
