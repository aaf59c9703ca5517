// Sizes, durations, RName helpers, the progress line and result names as users read them.
#include <gtest/gtest.h>

#include "format.h"
#include "progress_bar.h"
#include "result_names.h"
#include "rname.h"
#include "tqhd_types.h"

namespace nvrdisk {
namespace {

TEST(HumanSize, UsesBinaryUnitsWithOneDecimal) {
    const struct {
        uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0 B"},
        {1023, "1023 B"},
        {1024, "1.0 KiB"},
        {1536, "1.5 KiB"},
        {(1 << 20) - 1, "1.0 MiB"},  // would print as 1024.0 KiB
        {1 << 20, "1.0 MiB"},
        {256ull << 20, "256.0 MiB"},
        {3ull << 40, "3.0 TiB"},
        {UINT64_MAX, "16.0 EiB"},
    };
    for (const auto& c : cases) EXPECT_EQ(humanSize(c.bytes), c.text) << c.bytes;
}

TEST(HumanDuration, MinutesSecondsAndHours) {
    const struct {
        double seconds;
        const char* text;
    } cases[] = {{0, "0:00"}, {7.4, "0:07"}, {59.6, "1:00"}, {185, "3:05"}, {3723, "1:02:03"}, {-1, "--:--"}};
    for (const auto& c : cases) EXPECT_EQ(humanDuration(c.seconds), c.text) << c.seconds;
}

TEST(HumanRate, NoRateBeforeTimePasses) {
    EXPECT_EQ(humanRate(100 << 20, 0.0), "-");
    EXPECT_EQ(humanRate(100 << 20, 2.0), "50.0 MiB/s");
}

TEST(RName, DrivePrefixIsExactlySlashNumberSlash) {
    const struct {
        const char* rname;
        bool drive;
    } cases[] = {{"/1/", true},  {"/12/", true}, {"/1/0/", false}, {"/1", false},
                 {"1/", false},  {"//", false},  {"/a/", false},   {"\\1\\", false}};
    for (const auto& c : cases) EXPECT_EQ(isDrivePrefix(c.rname), c.drive) << c.rname;
    for (int number : {0, 9, 25}) EXPECT_TRUE(isDrivePrefix(drivePrefix(number))) << "drive " << number;
}

TEST(RName, TrailingSlashAndLastComponent) {
    EXPECT_EQ(withTrailingSlash("/1/0"), "/1/0/");
    EXPECT_EQ(withTrailingSlash("/1/0/docs/"), "/1/0/docs/");
    EXPECT_EQ(withTrailingSlash("/1/0\\docs\\"), "/1/0\\docs\\");
    EXPECT_EQ(lastComponent("/1/0/docs/notes.txt"), "notes.txt");
    EXPECT_EQ(lastComponent("/1/0\\docs\\notes.txt"), "notes.txt");
    EXPECT_EQ(lastComponent("/1/0/docs/"), "");
}

TEST(ProgressBar, LineShowsPercentBytesRateAndRemainingTime) {
    const std::string line = ProgressBar::render(128 << 20, 256 << 20, 2.0);
    EXPECT_NE(line.find(" 50%"), std::string::npos) << line;
    EXPECT_NE(line.find("128.0 MiB / 256.0 MiB"), std::string::npos) << line;
    EXPECT_NE(line.find("64.0 MiB/s"), std::string::npos) << line;
    EXPECT_NE(line.find("ETA 0:02"), std::string::npos) << line;
    EXPECT_EQ(line.find('#'), 1u) << line;
}

TEST(ProgressBar, EmptyAndOverfullCopiesStayInRange) {
    EXPECT_NE(ProgressBar::render(0, 0, 0.0).find("100%"), std::string::npos);
    EXPECT_NE(ProgressBar::render(300, 200, 1.0).find("100%"), std::string::npos);
    EXPECT_NE(ProgressBar::render(0, 200, 0.0).find("ETA --:--"), std::string::npos);
}

TEST(ResultNames, KnownCodesByNameUnknownByValue) {
    EXPECT_EQ(resultName(TQHD_E_PARAM), "TQHD_E_PARAM");
    EXPECT_EQ(resultName(TQHD_E_FORMATTING), "TQHD_E_FORMATTING");
    EXPECT_EQ(resultName(TQHD_E_THREAD), "TQHD_E_THREAD");
    EXPECT_EQ(resultName(static_cast<int32_t>(0x80F000FF)), "0x80F000FF");
    EXPECT_EQ(resultSentence(static_cast<int32_t>(0x80F000FF)), "unknown result code");
}

}  // namespace
}  // namespace nvrdisk
