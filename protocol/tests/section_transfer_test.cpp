// Section transfers between two processes over a real mapped section file: one-step transfers,
// chunked transfers of several sizes, and a reader that vanishes or stalls.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <thread>
#include <vector>

#include "platform/shared_section.h"
#include "protocol/constants.h"
#include "protocol/section_transfer.h"

namespace protocol {
namespace {

std::vector<uint8_t> pattern(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>((i * 131 + i / 7919) & 0xFF);
    return bytes;
}

class SectionTransferTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/section-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        directory_ = pattern;
        path_ = directory_ + "/section";
        section_ = platform::SharedSection::create(path_, kSectionSize, {});
        ASSERT_TRUE(section_.valid());
    }
    void TearDown() override {
        section_ = platform::SharedSection();
        rmdir(directory_.c_str());
    }
    std::span<uint8_t> view() { return {section_.data(), section_.size()}; }

    // Runs `body` in a child process on its own mapping of the section; returns the child's pid.
    template <typename Body>
    pid_t inChild(Body body) {
        const pid_t child = fork();
        if (child == 0) {
            platform::SharedSection own = platform::SharedSection::open(path_, kSectionSize);
            _exit(own.valid() ? body(std::span<uint8_t>(own.data(), own.size())) : 99);
        }
        return child;
    }
    static int exitCodeOf(pid_t child) {
        int status = 0;
        waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : 100;
    }
    static TransferGuard guardFor(pid_t child, std::chrono::milliseconds stall = std::chrono::seconds(20)) {
        return {[child] { return waitpid(child, nullptr, WNOHANG) == 0; }, stall};
    }

    std::string directory_;
    std::string path_;
    platform::SharedSection section_;
};

TEST_F(SectionTransferTest, ChunkedTransfersArriveWholeBetweenProcesses) {
    for (size_t size : {kSectionSize + 1, 3 * kChunkWindow, 3 * kChunkWindow + 5}) {
        SCOPED_TRACE(size);
        const std::vector<uint8_t> data = pattern(size);
        armChunkedTransfer(view());
        const pid_t reader = inChild([&](std::span<uint8_t> section) {
            std::vector<uint8_t> out(size);
            if (receiveSectionData(section, out, {}) != 0) return 1;
            return out == data ? 0 : 2;
        });
        EXPECT_EQ(sendChunked(view(), data, guardFor(reader)), 0);
        EXPECT_EQ(exitCodeOf(reader), 0);
    }
}

TEST_F(SectionTransferTest, AnExactSectionTravelsInOneStepAndTheReaderClearsIt) {
    const std::vector<uint8_t> data = pattern(kSectionSize);
    placeInSection(view(), data);
    const pid_t reader = inChild([&](std::span<uint8_t> section) {
        std::vector<uint8_t> out(kSectionSize);
        if (receiveSectionData(section, out, {}) != 0 || out != data) return 1;
        for (uint8_t byte : section) {
            if (byte != 0) return 2;
        }
        return 0;
    });
    EXPECT_EQ(exitCodeOf(reader), 0);
}

TEST_F(SectionTransferTest, TheReaderWaitsForAWriterThatStartsLate) {
    const std::vector<uint8_t> data = pattern(kSectionSize + 2);
    armChunkedTransfer(view());
    std::vector<uint8_t> out(data.size());
    std::thread writer([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        EXPECT_EQ(sendChunked(view(), data, {}), 0);
    });
    EXPECT_EQ(receiveChunked(view(), out, {}), 0);
    writer.join();
    EXPECT_EQ(out, data);
}

TEST_F(SectionTransferTest, AWriterGivesUpWhenItsReaderVanishesOrStalls) {
    const std::vector<uint8_t> data = pattern(4 * kChunkWindow);
    struct Case {
        const char* what;
        bool readerLeaves;
    };
    for (const Case& c : {Case{"reader exits after one chunk", true}, Case{"reader stops reading", false}}) {
        SCOPED_TRACE(c.what);
        armChunkedTransfer(view());
        const bool leaves = c.readerLeaves;
        const pid_t reader = inChild([&](std::span<uint8_t> section) {
            std::vector<uint8_t> out(kChunkWindow);
            if (receiveChunked(section, out, {}) != 0) return 1;
            if (!leaves) pause();
            return 0;
        });
        EXPECT_EQ(sendChunked(view(), data, guardFor(reader, std::chrono::milliseconds(300))), kWriteFailed);
        if (!c.readerLeaves) kill(reader, SIGKILL);
        exitCodeOf(reader);
    }
}

TEST_F(SectionTransferTest, AReaderGivesUpWhenItsWriterVanishes) {
    armChunkedTransfer(view());
    const pid_t writer = inChild([&](std::span<uint8_t> section) {
        const std::vector<uint8_t> one = pattern(kChunkWindow);
        return sendChunked(section, one, {}) == 0 ? 0 : 1;  // sends one chunk of a longer transfer
    });
    std::vector<uint8_t> out(2 * kChunkWindow);
    EXPECT_EQ(receiveChunked(view(), out, guardFor(writer)), kReadFailed);
    exitCodeOf(writer);
}

}  // namespace
}  // namespace protocol
