// The frame check: its edge cases, read errors, the stop flag, and agreement with a literal
// byte-at-a-time scan on generated files, in memory and through files read in blocks.
#include <sys/stat.h>
#include <unistd.h>

#include <random>

#include <gtest/gtest.h>

#include "frame_builder.h"
#include "literal_check.h"
#include "temp_directory.h"
#include "videocheck/frame_check.h"

namespace {

using namespace videocheck_test;
using videocheck::CheckCode;

// Runs the check on `bytes` both in memory and from a file.
class FrameCheckTest : public testing::Test {
protected:
    CheckCode checkAsFile(const Bytes& bytes) {
        const std::string path = directory.write("file.264", std::string(bytes.begin(), bytes.end()));
        return videocheck::checkFile(path);
    }
    void expectBoth(const Bytes& bytes, CheckCode expected) {
        EXPECT_EQ(videocheck::checkBytes(bytes), expected);
        EXPECT_EQ(checkAsFile(bytes), expected);
    }

    TempDirectory directory;
};

Bytes counting(size_t size, uint8_t first) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(first + i);
    return bytes;
}

// Payload of `size` bytes with 1 at odd offsets and 0 at even ones.
Bytes oddOnes(size_t size) {
    Bytes bytes(size);
    for (size_t i = 1; i < size; i += 2) bytes[i] = 1;
    return bytes;
}

struct EdgeCase {
    const char* what;
    Bytes file;
    CheckCode expected;
};

Bytes withFrame(Bytes before, const Bytes& payload, uint8_t check, const FrameOptions& options = {}) {
    appendFrame(before, payload, check, options);
    return before;
}

std::vector<EdgeCase> edgeCases() {
    Bytes goodThenLong = withFrame({}, filled(10, 1), 10);
    appendFrame(goodThenLong, filled(20, 0), 0, FrameOptions{'2', {}, 0, 5000});  // declares 5000 bytes
    Bytes badThenLong = withFrame({}, filled(10, 1), 11);
    appendFrame(badThenLong, filled(20, 0), 0, FrameOptions{'2', {}, 0, 5000});
    Bytes goodThenBad = withFrame(text("garbage"), filled(4, 2), 8);
    appendBytes(goodThenBad, text("more d c 2 garbage"));
    appendFrame(goodThenBad, filled(4, 2), 9);
    appendFrame(goodThenBad, filled(4, 2), 8);
    Bytes hiddenInPayload;  // a bad "header" inside a payload is never looked at
    Bytes payload = text("x2dc\x05");
    payload.resize(40, 0);
    appendFrame(hiddenInPayload, payload, static_cast<uint8_t>('x' + '2' + 'd' + 'c' + 5));
    return {
        {"no header at all", text("just some bytes, no frames here"), CheckCode::Success},
        {"one byte", text("x"), CheckCode::Success},
        {"header cut after the marker", text("..x2dc"), CheckCode::Success},
        {"header whose payload is cut short", withFrame({}, filled(100, 1), 100, {'2', {}, 0, 200}), CheckCode::Success},
        {"payload past the end after a good frame", goodThenLong, CheckCode::Success},
        {"payload past the end after a bad frame", badThenLong, CheckCode::Failure},
        {"length 0 with check 0", withFrame({}, {}, 0), CheckCode::Success},
        {"length 0 with check 1", withFrame({}, {}, 1), CheckCode::Failure},
        {"length 128: every byte", withFrame({}, filled(128, 1), 128), CheckCode::Success},
        {"length 128: wrong sum", withFrame({}, filled(128, 1), 127), CheckCode::Failure},
        {"length 129: the last 128 bytes", withFrame({}, counting(129, 1), 192), CheckCode::Success},
        {"length 129: not all 129 bytes", withFrame({}, counting(129, 1), 193), CheckCode::Failure},
        {"length 256: every second byte from the last", withFrame({}, oddOnes(256), 128), CheckCode::Success},
        {"length 256: not the even offsets", withFrame({}, oddOnes(256), 0), CheckCode::Failure},
        {"skipped bytes before the payload", withFrame({}, filled(3, 7), 21, {'3', filled(9, 0xEE)}), CheckCode::Success},
        {"unused top byte of the skip word", withFrame({}, filled(3, 7), 21, {'4', {}, 0xFF}), CheckCode::Success},
        {"stream type 5 is no header", withFrame({}, filled(3, 7), 0, {'5', {}}), CheckCode::Success},
        {"frames found between garbage; mismatch stops with failure", goodThenBad, CheckCode::Failure},
        {"header inside a payload is skipped", hiddenInPayload, CheckCode::Success},
        {"bad frame ending exactly at the end", withFrame(text("ab"), filled(5, 1), 4), CheckCode::Failure},
    };
}

TEST_F(FrameCheckTest, EdgeCases) {
    for (const EdgeCase& c : edgeCases()) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(literalCheck(c.file), c.expected);  // the cases describe the check itself
        expectBoth(c.file, c.expected);
    }
}

TEST_F(FrameCheckTest, EmptyMissingAndNonRegularFilesCannotBeRead) {
    expectBoth({}, CheckCode::ReadFailure);
    EXPECT_EQ(videocheck::checkFile(directory.path() + "/missing.264"), CheckCode::ReadFailure);
    std::filesystem::create_directory(directory.path() + "/folder.264");
    EXPECT_EQ(videocheck::checkFile(directory.path() + "/folder.264"), CheckCode::ReadFailure);
    const std::string pipe = directory.path() + "/pipe.264";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(videocheck::checkFile(pipe), CheckCode::ReadFailure);  // and does not block
}

TEST_F(FrameCheckTest, FileWithoutReadPermissionCannotBeRead) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    const std::string path = directory.write("locked.264", "x2dc");
    ASSERT_EQ(chmod(path.c_str(), 0), 0);
    EXPECT_EQ(videocheck::checkFile(path), CheckCode::ReadFailure);
}

TEST_F(FrameCheckTest, StopFlagEndsTheCheckWithTheResultSoFar) {
    const Bytes bad = withFrame({}, filled(8, 1), 0);
    const videocheck::StopFlag stopped{1};
    EXPECT_EQ(videocheck::checkBytes(bad, stopped), CheckCode::Success);  // stopped before the bad frame
    const std::string path = directory.write("bad.264", std::string(bad.begin(), bad.end()));
    EXPECT_EQ(videocheck::checkFile(path, stopped), CheckCode::Success);
    EXPECT_EQ(videocheck::checkFile(path), CheckCode::Failure);
}

TEST(PayloadCheckSum, SamplesFromTheLastByteAtTheStride) {
    // 1000 bytes: stride 7, 128 samples at offsets 999, 992, ... 110.
    Bytes payload(1000, 0);
    for (size_t offset = 110; offset <= 999; offset += 7) payload[offset] = 1;
    EXPECT_EQ(videocheck::payloadCheckSum(payload), 128);
    // 300 bytes: stride 2, 150 possible samples, limited to 128: offsets 299 down to 45.
    Bytes limited(300, 0);
    for (size_t offset = 45; offset <= 299; offset += 2) limited[offset] = 1;
    limited[43] = 100;  // the 129th sample is not taken
    EXPECT_EQ(videocheck::payloadCheckSum(limited), 128);
}

// Random files of frames, garbage with partial markers, wrong check bytes and cut frames.
Bytes randomFile(std::mt19937& random, size_t targetSize) {
    Bytes file;
    std::uniform_int_distribution<int> choice(0, 9);
    std::uniform_int_distribution<int> byte(0, 255);
    const uint32_t lengths[] = {0, 1, 127, 128, 129, 255, 256, 257, 1000, 40000, 300000};
    while (file.size() < targetSize) {
        const int kind = choice(random);
        if (kind < 3) {  // garbage that keeps offering partial and whole markers
            for (int i = 0; i < 50; ++i) file.push_back(static_cast<uint8_t>("2dc3d4dcx"[byte(random) % 9]));
            continue;
        }
        Bytes payload(lengths[byte(random) % std::size(lengths)]);
        for (uint8_t& value : payload) value = static_cast<uint8_t>(byte(random));
        const uint8_t check = videocheck::payloadCheckSum(payload) + (kind == 9 ? 1 : 0);
        FrameOptions options{static_cast<uint8_t>('2' + byte(random) % 3), Bytes(byte(random) % 3 == 0 ? 17 : 0, 'd')};
        appendFrame(file, payload, check, options);
    }
    if (choice(random) < 3) file.resize(file.size() - byte(random) % 200);  // cut the last frame
    return file;
}

TEST_F(FrameCheckTest, AgreesWithTheLiteralScanOnGeneratedFiles) {
    std::mt19937 random(20240611);
    int failures = 0;
    for (int round = 0; round < 300; ++round) {
        // Most files are small; some cross the file reader's 1 MiB blocks at random places.
        const size_t size = round % 30 == 0 ? (size_t{3} << 20) : 1 + random() % 20000;
        const Bytes file = randomFile(random, size);
        const CheckCode expected = literalCheck(file);
        failures += expected == CheckCode::Failure;
        ASSERT_EQ(videocheck::checkBytes(file), expected) << "round " << round;
        if (round % 10 == 0) {
            ASSERT_EQ(checkAsFile(file), expected) << "round " << round;
        }
    }
    EXPECT_GT(failures, 0);  // the generator produces both outcomes
    EXPECT_LT(failures, 300);
}

TEST_F(FrameCheckTest, HeadersAcrossReadBlockBoundaries) {
    // A header, its skipped bytes or its payload straddling the 64 KiB scan blocks and the
    // 1 MiB file blocks, at every offset around the boundary.
    for (const size_t boundary : {size_t{64} << 10, size_t{1} << 20}) {
        for (size_t start = boundary - 14; start <= boundary + 1; ++start) {
            SCOPED_TRACE(start);
            Bytes file(start, 'x');
            appendFrame(file, filled(200, 3), 0);  // wrong: the sum is 128 * 3 = 384 mod 256 = 128
            appendBytes(file, filled(10, 'y'));
            ASSERT_EQ(literalCheck(file), CheckCode::Failure);
            expectBoth(file, CheckCode::Failure);
        }
    }
}

}  // namespace
