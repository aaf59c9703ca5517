// Requests and replies: codes outside the table, requests split or joined, the handle table, and
// many sessions that leave handles open.
#include <thread>

#include "protocol/records.h"
#include "service_fixture.h"

namespace halvextest {
namespace {

using RequestTest = ServiceTest;

uint32_t openFile(RawClient& client, const std::string& name) {
    const auto reply = client.call(byName(protocol::kOpenFileByRName, name));
    EXPECT_TRUE(reply);
    return reply ? reply->value : 0;
}

int64_t lengthOf(RawClient& client, uint32_t handle) {
    const auto reply = client.call(onHandle(protocol::kGetFileLength, handle));
    EXPECT_TRUE(reply);
    return reply ? static_cast<int64_t>(uint64_t{reply->value} << 32 | reply->extra) : -2;
}

TEST_F(RequestTest, CodesOutsideTheTableGetThreeZeroWords) {
    RawClient client = connected();
    for (uint8_t code : {1, 2, 3, 35, 40, 57, 59, 61, 200}) {
        const std::vector<uint8_t> request = {code, 0, 8, 0, 9, 9, 9, 9};
        ASSERT_TRUE(client.send(request));
        const auto message = client.readMessage();
        ASSERT_TRUE(message) << int(code);
        const auto reply = protocol::decodeReply(*message);
        ASSERT_TRUE(reply) << int(code);
        EXPECT_EQ(reply->status, 0u);
        EXPECT_EQ(reply->extra, 0u);
        EXPECT_EQ(reply->value, 0u);
    }
}

// The service checks the drive texts of a copy itself: no copy starts, no handle is published,
// and the session stays usable.
TEST_F(RequestTest, ACopyWhoseDrivesAreNoNumbersIsRefusedAndTheSessionGoesOn) {
    RawClient client = connected();
    const struct {
        const char* source;
        const char* target;
    } cases[] = {{"", "3"}, {"3", ""}, {"3x", "7"}, {"3", " 7"}, {"+3", "7"}, {"99999999999", "7"}};
    for (const auto& texts : cases) {
        protocol::Request copy = protocol::makeDiskCopyRequest(0, 0);
        copy.text = texts.source;
        copy.secondText = texts.target;
        const auto reply = client.call(copy);
        ASSERT_TRUE(reply) << texts.source << "," << texts.target;
        EXPECT_EQ(reply->status, static_cast<uint32_t>(TQHD_E_PARAM)) << texts.source << "," << texts.target;
        EXPECT_EQ(reply->value, 0u) << texts.source << "," << texts.target;
    }
    EXPECT_EQ(lengthOf(client, openFile(client, "/1/0/big.bin")), static_cast<int64_t>(kBigFileSize));
}

TEST_F(RequestTest, ARequestSplitOverTwoWritesIsHandledOnceAfterTheSecond) {
    RawClient client = connected();
    const uint32_t file = openFile(client, "/1/0/big.bin");
    const auto bytes = protocol::encodeRequest(onHandle(protocol::kGetFileLength, file)).value();
    ASSERT_TRUE(client.send(std::span<const uint8_t>(bytes).first(5)));
    EXPECT_FALSE(client.readMessage(100ms)) << "no reply to half a request";
    ASSERT_TRUE(client.send(std::span<const uint8_t>(bytes).subspan(5)));
    const auto message = client.readMessage();
    ASSERT_TRUE(message);
    EXPECT_EQ(protocol::decodeReply(*message)->extra, kBigFileSize);
    // Two requests in one write: two replies, in order, and nothing more.
    auto both = protocol::encodeRequest(onHandle(40, 0)).value();
    both.insert(both.end(), bytes.begin(), bytes.end());
    ASSERT_TRUE(client.send(both));
    EXPECT_EQ(protocol::decodeReply(*client.readMessage())->extra, 0u);
    EXPECT_EQ(protocol::decodeReply(*client.readMessage())->extra, kBigFileSize);
    EXPECT_FALSE(client.readMessage(100ms));
}

TEST_F(RequestTest, DiskListsAndDiskHandlesAreSharedBySessions) {
    RawClient first = connected();
    RawClient second = connected();
    const auto list = first.call(onHandle(protocol::kGetHardDiskList, 0));
    ASSERT_TRUE(list);
    ASSERT_GE(list->value, 1u);
    EXPECT_EQ(list->extra, list->value * protocol::kDiskInfoSize);
    bool found = false;
    const auto records = first.receiveData(list->extra);
    for (size_t index = 0; index < list->value; ++index) {
        const auto info = protocol::decodeDiskInfo(std::span<const uint8_t>(records).subspan(index * protocol::kDiskInfoSize));
        found = found || info.hdindex == kDataDrive;
    }
    EXPECT_TRUE(found);
    const auto disk = first.call(byName(protocol::kOpenHardDiskByRName, "/1/"));
    const auto again = second.call(byName(protocol::kOpenHardDiskByRName, "/1/"));
    ASSERT_TRUE(disk && again);
    EXPECT_NE(disk->value, 0u);
    EXPECT_EQ(disk->value, again->value);
    const auto volumes = second.call(onHandle(protocol::kGetDriverList, again->value));
    ASSERT_TRUE(volumes);
    EXPECT_EQ(volumes->status, 0u);
    EXPECT_EQ(volumes->value, 2u);
    EXPECT_EQ(volumes->extra, 2 * protocol::kDriverInfoSize);
}

TEST_F(RequestTest, ASessionUsesOnlyItsOwnHandlesAndDiskHandles) {
    RawClient owner = connected();
    RawClient other = connected();
    const uint32_t file = openFile(owner, "/1/0/big.bin");
    ASSERT_NE(file, 0u);
    EXPECT_EQ(lengthOf(owner, file), static_cast<int64_t>(kBigFileSize));
    EXPECT_EQ(lengthOf(other, file), -1) << "another session's handle reaches the library as none";
    const auto close = other.call(onHandle(protocol::kCloseHandle, file));
    ASSERT_TRUE(close);
    EXPECT_EQ(close->status, static_cast<uint32_t>(TQHD_E_BADHANDLE));
    EXPECT_EQ(lengthOf(owner, file), static_cast<int64_t>(kBigFileSize)) << "still open for its owner";
    const uint32_t disk = owner.call(byName(protocol::kOpenHardDiskByRName, "/1/"))->value;
    EXPECT_EQ(static_cast<int32_t>(owner.call(onHandle(protocol::kReadFile, disk, 10))->value), -1) << "a disk number is no file";
    EXPECT_EQ(lengthOf(owner, disk), 18 << 20) << "but has a length: its drive's";
    EXPECT_EQ(owner.call(onHandle(protocol::kCloseHandle, disk))->status, 0u) << "closing a disk leaves it alone";
    EXPECT_EQ(owner.call(onHandle(protocol::kCloseHandle, file))->status, 0u);
    EXPECT_EQ(lengthOf(owner, file), -1) << "a closed number is gone";
}

// Handles opened every way and left open: the service closes them when each session ends, so
// the disk can be formatted afterwards (the library refuses while objects are open on it) and
// the service's descriptors and threads come back to where they were.
TEST_F(RequestTest, ThousandsOfSessionsLeaveNoHandleBehind) {
    const size_t descriptorsBefore = service().openDescriptors();
    const size_t threadsBefore = service().threads();
    for (int session = 0; session < 1000; ++session) {
        RawClient client = connected();
        const uint32_t disk = client.call(byName(protocol::kOpenHardDiskByRName, "/9/"))->value;
        protocol::Request byFind = onHandle(protocol::kOpenFindFile, disk);
        ASSERT_NE(client.call(byFind)->value, 0u);
        ASSERT_NE(openFile(client, "/9/0/a.txt"), 0u);
        if (session % 100 == 0) {
            ASSERT_NE(client.call(byName(protocol::kOpenFindFileByRName, "/9/0/"))->value, 0u);
        }
    }
    const auto settled = std::chrono::steady_clock::now() + kPatience;
    while ((service().threads() > threadsBefore || service().openDescriptors() > descriptorsBefore) &&
           std::chrono::steady_clock::now() < settled) {
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_LE(service().threads(), threadsBefore);
    EXPECT_LE(service().openDescriptors(), descriptorsBefore);

    RawClient holder = connected();
    ASSERT_NE(openFile(holder, "/9/0/a.txt"), 0u);
    RawClient formatter = connected();
    protocol::Request format = byName(protocol::kFormatHDDByRName, "/9/");
    format.number = 1;
    const auto refused = formatter.call(format);
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, static_cast<uint32_t>(TQHD_E_INUSE)) << "an open file keeps the disk in use";
    holder.close();
    const auto deadline = std::chrono::steady_clock::now() + kPatience;
    std::optional<protocol::Reply> started;
    do {
        started = formatter.call(format);
    } while (started && started->status == static_cast<uint32_t>(TQHD_E_INUSE) && std::chrono::steady_clock::now() < deadline);
    ASSERT_TRUE(started);
    EXPECT_EQ(started->status, 0u) << "every session's handles were closed";
    EXPECT_NE(started->value, 0u);
}

}  // namespace
}  // namespace halvextest
