// Drives over image files and memory: the sector rule, the end of the drive, drive paths and
// names, share modes between handles, and the fault hook.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include "platform/drive.h"
#include "temporary_directory.h"

namespace platform {
namespace {

using testing::ScopedEnvironment;
using testing::TemporaryDirectory;

constexpr size_t kSectors = 4;
constexpr size_t kDriveBytes = kSectors * kSectorSize;

// Every byte differs from its neighbours in other sectors, so a read from the wrong place shows.
uint8_t patternByte(uint64_t position) { return static_cast<uint8_t>(position * 31 + position / kSectorSize); }

std::vector<uint8_t> patternBytes(size_t size) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = patternByte(i);
    return bytes;
}

bool matchesPattern(const std::vector<uint8_t>& buffer, uint64_t offset, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        if (buffer[i] != patternByte(offset + i)) return false;
    }
    return true;
}

// The same rules hold for an image file and for memory; every table runs on both.
enum class Backend { File, Memory };

class DriveRuleTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override {
        imagePath_ = directory_.file("image");
        testing::writeFile(imagePath_, patternBytes(kDriveBytes));
        if (GetParam() == Backend::File) drive_ = openDrivePath(imagePath_, Access::ReadWrite, kShareRead | kShareWrite);
        else drive_ = makeMemoryDrive(patternBytes(kDriveBytes));
        ASSERT_NE(drive_, nullptr);
    }

    TemporaryDirectory directory_;
    std::string imagePath_;
    std::unique_ptr<Drive> drive_;
};

struct ReadCase {
    const char* name;
    uint64_t offset;
    size_t count;
    int64_t expected;
    int error;  // errno when expected is -1
};

TEST_P(DriveRuleTest, ReadsFollowTheSectorRuleAndStopAtTheEnd) {
    const ReadCase cases[] = {
        {"first sector", 0, 512, 512, 0},
        {"whole drive", 0, kDriveBytes, kDriveBytes, 0},
        {"middle sectors", 512, 1024, 1024, 0},
        {"offset inside a sector", 1, 512, -1, EINVAL},
        {"offset a sector and a bit", 513, 512, -1, EINVAL},
        {"count not whole sectors", 0, 100, -1, EINVAL},
        {"count a sector and a bit", 0, 513, -1, EINVAL},
        {"nothing", 512, 0, 0, 0},
        {"at the end", kDriveBytes, 512, 0, 0},
        {"beyond the end", kDriveBytes + 4096, 512, 0, 0},
        {"far beyond the end", UINT64_MAX - 511, 512, 0, 0},
        {"crossing the end", kDriveBytes - 512, 2048, 512, 0},
    };
    for (const ReadCase& test : cases) {
        SCOPED_TRACE(test.name);
        std::vector<uint8_t> buffer(std::max<size_t>(test.count, 1), 0xEE);
        errno = 0;
        ASSERT_EQ(drive_->readAt(test.offset, buffer.data(), test.count), test.expected);
        if (test.expected < 0) {
            EXPECT_EQ(errno, test.error);
        }
        if (test.expected > 0) {
            EXPECT_TRUE(matchesPattern(buffer, test.offset, test.expected));
        }
    }
}

struct WriteCase {
    const char* name;
    uint64_t offset;
    size_t count;
    bool accepted;
};

TEST_P(DriveRuleTest, WritesStayInsideTheDrive) {
    const WriteCase cases[] = {
        {"first sector", 0, 512, true},
        {"last sector", kDriveBytes - 512, 512, true},
        {"crossing the end", kDriveBytes - 512, 1024, false},
        {"at the end", kDriveBytes, 512, false},
        {"far beyond the end", UINT64_MAX - 511, 512, false},
        {"offset inside a sector", 3, 512, false},
        {"count not whole sectors", 512, 200, false},
    };
    std::vector<uint8_t> expected = patternBytes(kDriveBytes);
    for (const WriteCase& test : cases) {
        SCOPED_TRACE(test.name);
        const std::vector<uint8_t> fill(test.count, static_cast<uint8_t>(0x40 + test.count / 512));
        const int64_t written = drive_->writeAt(test.offset, fill.data(), fill.size());
        EXPECT_EQ(written, test.accepted ? static_cast<int64_t>(test.count) : -1);
        if (test.accepted) std::copy(fill.begin(), fill.end(), expected.begin() + test.offset);
    }
    ASSERT_TRUE(drive_->flush());
    EXPECT_EQ(drive_->length(), static_cast<int64_t>(kDriveBytes));
    std::vector<uint8_t> content(kDriveBytes);
    ASSERT_EQ(drive_->readAt(0, content.data(), content.size()), static_cast<int64_t>(kDriveBytes));
    EXPECT_EQ(content, expected);
    if (GetParam() == Backend::File) {
        EXPECT_EQ(testing::readFile(imagePath_), expected);
    }
}

// A batch of scattered pieces lands each in its own buffer; the count of leading whole pieces
// stops at the first piece that breaks the sector rule or reaches past the end, as piece-by-piece
// reads would.
struct BatchCase {
    const char* name;
    std::vector<std::pair<uint64_t, size_t>> pieces;  // drive position, byte count
    size_t whole;
};

TEST_P(DriveRuleTest, BatchedReadsLandInPlaceAndStopAtTheFirstFailure) {
    const BatchCase cases[] = {
        {"scattered, out of order", {{1536, 512}, {0, 512}, {1024, 512}, {512, 512}}, 4},
        {"one piece", {{512, 1024}}, 1},
        {"the same sector twice", {{0, 512}, {0, 512}}, 2},
        {"second piece crosses the end", {{0, 512}, {kDriveBytes - 512, 1024}, {512, 512}}, 1},
        {"first piece beyond the end", {{kDriveBytes, 512}, {0, 512}}, 0},
        {"last piece not whole sectors", {{0, 512}, {512, 512}, {1024, 100}}, 2},
        {"nothing", {}, 0},
    };
    for (const BatchCase& test : cases) {
        SCOPED_TRACE(test.name);
        std::vector<std::vector<uint8_t>> buffers;
        std::vector<ReadPiece> pieces;
        for (const auto& [offset, count] : test.pieces) buffers.emplace_back(count, 0xEE);
        for (size_t index = 0; index < buffers.size(); ++index)
            pieces.push_back({test.pieces[index].first, buffers[index].data(), buffers[index].size()});
        ASSERT_EQ(drive_->readPieces(pieces), test.whole);
        for (size_t index = 0; index < test.whole; ++index)
            EXPECT_TRUE(matchesPattern(buffers[index], pieces[index].offset, pieces[index].count)) << "piece " << index;
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, DriveRuleTest, ::testing::Values(Backend::File, Backend::Memory),
                         [](const auto& info) { return info.param == Backend::File ? "File" : "Memory"; });

class DriveFileTest : public ::testing::Test {
protected:
    std::string makeImage(const std::string& name, size_t size) {
        const std::string path = directory_.file(name);
        testing::writeFile(path, patternBytes(size));
        return path;
    }

    TemporaryDirectory directory_;
};

TEST_F(DriveFileTest, LengthIsTheFileSizeAlsoThroughALink) {
    const std::string image = makeImage("image", 3 * kSectorSize + 100);
    const std::string link = directory_.file("link");
    std::filesystem::create_symlink(image, link);
    for (const std::string& path : {image, link}) {
        auto drive = openDrivePath(path, Access::Read, kShareRead);
        ASSERT_NE(drive, nullptr) << path;
        EXPECT_EQ(drive->length(), static_cast<int64_t>(3 * kSectorSize + 100));
    }
}

TEST_F(DriveFileTest, ReadCrossingAnUnevenEndReturnsTheBytesUpToIt) {
    auto drive = openDrivePath(makeImage("image", kSectorSize + 100), Access::Read, kShareRead);
    ASSERT_NE(drive, nullptr);
    std::vector<uint8_t> buffer(2 * kSectorSize);
    ASSERT_EQ(drive->readAt(512, buffer.data(), buffer.size()), 100);
    EXPECT_TRUE(matchesPattern(buffer, 512, 100));
}

TEST_F(DriveFileTest, LargeReadArrivesWhole) {
    constexpr size_t kLarge = 64u << 20;
    auto drive = openDrivePath(makeImage("image", kLarge), Access::Read, kShareRead);
    ASSERT_NE(drive, nullptr);
    std::vector<uint8_t> buffer(kLarge);
    ASSERT_EQ(drive->readAt(0, buffer.data(), buffer.size()), static_cast<int64_t>(kLarge));
    EXPECT_TRUE(matchesPattern(buffer, 0, kLarge));
}

TEST_F(DriveFileTest, ReadOnlyHandleRefusesWrites) {
    const std::string image = makeImage("image", kDriveBytes);
    auto drive = openDrivePath(image, Access::Read, kShareRead | kShareWrite);
    ASSERT_NE(drive, nullptr);
    const std::vector<uint8_t> fill(kSectorSize, 0x55);
    EXPECT_EQ(drive->writeAt(0, fill.data(), fill.size()), -1);
    EXPECT_EQ(testing::readFile(image), patternBytes(kDriveBytes));
}

TEST_F(DriveFileTest, OnlyFilesAndBlockDevicesOpen) {
    EXPECT_EQ(openDrivePath(directory_.file("absent"), Access::Read, kShareRead), nullptr);
    EXPECT_EQ(errno, ENOENT);
    EXPECT_EQ(openDrivePath(directory_.path(), Access::Read, kShareRead), nullptr);
    EXPECT_EQ(openDrivePath("", Access::Read, kShareRead), nullptr);
    if (::access("/dev/null", R_OK) == 0) {
        EXPECT_EQ(openDrivePath("/dev/null", Access::Read, kShareRead), nullptr);
    }
}

// ---- drive paths and entry names ----

TEST(DrivePathTest, DisksWithoutADeviceDirectory) {
    ScopedEnvironment unset("NVRDISK_DEVICE_DIR", std::nullopt);
    EXPECT_FALSE(usingDeviceDirectory());
    EXPECT_EQ(deviceDirectory(), "/dev");
    const std::pair<int, const char*> cases[] = {
        {0, "/dev/sda"}, {2, "/dev/sdc"}, {25, "/dev/sdz"}, {26, ""}, {-1, ""}, {1000, ""}};
    for (const auto& [number, path] : cases) EXPECT_EQ(drivePath(number), path) << number;
}

TEST(DrivePathTest, ImagesInADeviceDirectory) {
    for (const char* directory : {"/srv/drives", "/srv/drives/"}) {
        ScopedEnvironment set("NVRDISK_DEVICE_DIR", std::string(directory));
        EXPECT_TRUE(usingDeviceDirectory());
        EXPECT_EQ(deviceDirectory(), "/srv/drives");
        const std::pair<int, const char*> cases[] = {{0, "/srv/drives/PhysicalDrive0"},
                                                     {12, "/srv/drives/PhysicalDrive12"},
                                                     {30, "/srv/drives/PhysicalDrive30"},
                                                     {-1, ""}};
        for (const auto& [number, path] : cases) EXPECT_EQ(drivePath(number), path) << directory << " " << number;
    }
}

TEST(DrivePathTest, EmptyDeviceDirectoryMeansNone) {
    ScopedEnvironment empty("NVRDISK_DEVICE_DIR", std::string());
    EXPECT_FALSE(usingDeviceDirectory());
    EXPECT_EQ(drivePath(1), "/dev/sdb");
}

struct EntryCase {
    const char* entry;
    int withDeviceDirectory;
    int withoutDeviceDirectory;
};

TEST(DrivePathTest, EntryNamesToDriveNumbers) {
    const EntryCase cases[] = {
        {"PhysicalDrive0", 0, -1},
        {"PhysicalDrive12", 12, -1},
        {"PhysicalDrive999999", 999999, -1},
        {"PhysicalDrive9999999", -1, -1},
        {"PhysicalDrive99999999999999999999", -1, -1},
        {"PhysicalDrive", -1, -1},
        {"PhysicalDrive07", -1, -1},
        {"PhysicalDrive+1", -1, -1},
        {"PhysicalDrive-1", -1, -1},
        {"PhysicalDrive 1", -1, -1},
        {"PhysicalDrive3.faults", -1, -1},
        {"physicaldrive3", -1, -1},
        {"sda", -1, 0},
        {"sdc", -1, 2},
        {"sdz", -1, 25},
        {"sdc1", -1, -1},
        {"sd", -1, -1},
        {"sdA", -1, -1},
        {"hda", -1, -1},
        {"nvme0n1", -1, -1},
        {"", -1, -1},
    };
    for (const EntryCase& test : cases) {
        {
            ScopedEnvironment set("NVRDISK_DEVICE_DIR", std::string("/srv/drives"));
            EXPECT_EQ(driveNumberOfEntry(test.entry), test.withDeviceDirectory) << test.entry;
        }
        ScopedEnvironment unset("NVRDISK_DEVICE_DIR", std::nullopt);
        EXPECT_EQ(driveNumberOfEntry(test.entry), test.withoutDeviceDirectory) << test.entry;
    }
}

// ---- drives by number, share modes and faults in a device directory ----

class DeviceDirectoryTest : public ::testing::Test {
protected:
    void TearDown() override {
        for (int number = 0; number < 8; ++number) clearDriveFaults(number);
    }

    std::string makeDrive(int number, size_t size = 8 * kSectorSize) {
        const std::string path = directory_.file("PhysicalDrive" + std::to_string(number));
        testing::writeFile(path, patternBytes(size));
        return path;
    }

    TemporaryDirectory directory_;
    ScopedEnvironment environment_{"NVRDISK_DEVICE_DIR", directory_.path()};
};

TEST_F(DeviceDirectoryTest, OpensDrivesByNumber) {
    makeDrive(2);
    auto drive = openDrive(2, Access::Read, kShareRead);
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(drive->length(), static_cast<int64_t>(8 * kSectorSize));
    EXPECT_EQ(openDrive(3, Access::Read, kShareRead), nullptr);
    EXPECT_EQ(openDrive(-1, Access::Read, kShareRead), nullptr);
}

struct ShareCase {
    Access heldAccess;
    unsigned heldShare;
    Access newAccess;
    unsigned newShare;
    bool opens;
};

TEST_F(DeviceDirectoryTest, ShareModesBetweenHandles) {
    constexpr unsigned kBoth = kShareRead | kShareWrite;
    constexpr Access R = Access::Read;
    constexpr Access RW = Access::ReadWrite;
    const ShareCase cases[] = {
        {R, kBoth, R, kBoth, true},
        {R, kShareRead, R, kShareRead, true},
        {R, kShareRead, R, kBoth, true},
        {RW, kBoth, RW, kBoth, true},
        {RW, kShareRead, R, kBoth, true},
        {RW, kBoth, R, kShareRead, false},        // a writer exists; the new handle does not share writing
        {RW, kShareRead, RW, kBoth, false},       // the writer does not share writing
        {R, kShareRead, RW, kBoth, false},        // the reader does not share writing
        {R, kShareNone, R, kBoth, false},         // the reader shares nothing
        {R, kBoth, R, kShareNone, false},         // the new handle shares nothing with a reader
        {R, kShareWrite, R, kBoth, false},        // the reader does not share reading
        {RW, kBoth, RW, kShareWrite, false},      // the new handle does not share reading
    };
    const std::string path = makeDrive(1);
    for (const ShareCase& test : cases) {
        SCOPED_TRACE(::testing::Message() << "held " << (test.heldAccess == RW ? "rw" : "r") << "/" << test.heldShare
                                          << ", new " << (test.newAccess == RW ? "rw" : "r") << "/" << test.newShare);
        auto held = openDrive(1, test.heldAccess, test.heldShare);
        ASSERT_NE(held, nullptr);
        errno = 0;
        auto second = openDrivePath(path, test.newAccess, test.newShare);
        EXPECT_EQ(second != nullptr, test.opens);
        if (!test.opens) {
            EXPECT_EQ(errno, EBUSY);
        }
    }
}

TEST_F(DeviceDirectoryTest, ShareConflictEndsWithTheHandleAndFollowsLinks) {
    const std::string image = makeDrive(1);
    const std::string link = directory_.file("PhysicalDrive2");
    std::filesystem::create_symlink(image, link);
    makeDrive(3);
    auto writer = openDrive(1, Access::ReadWrite, kShareRead);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(openDrive(2, Access::ReadWrite, kShareRead | kShareWrite), nullptr);  // same image
    EXPECT_NE(openDrive(3, Access::ReadWrite, kShareRead), nullptr);                 // another image
    writer.reset();
    EXPECT_NE(openDrive(2, Access::ReadWrite, kShareRead), nullptr);
}

// Runs whole-sector reads or writes of one sector count at each start sector; true where they pass.
std::vector<bool> requestsPassing(Drive& drive, bool writing, size_t sectors, size_t driveSectors) {
    std::vector<bool> passed;
    std::vector<uint8_t> buffer(sectors * kSectorSize, 0x77);
    for (uint64_t start = 0; start + sectors <= driveSectors; ++start) {
        const uint64_t offset = start * kSectorSize;
        const int64_t result =
            writing ? drive.writeAt(offset, buffer.data(), buffer.size()) : drive.readAt(offset, buffer.data(), buffer.size());
        passed.push_back(result == static_cast<int64_t>(buffer.size()));
        if (result < 0) {
            EXPECT_EQ(errno, EIO);
        }
    }
    return passed;
}

TEST_F(DeviceDirectoryTest, FaultsSetInProcessFailRequestsTouchingThem) {
    makeDrive(5);
    auto before = openDrive(5, Access::ReadWrite, kShareRead | kShareWrite);
    setDriveFaults(5, FaultKind::Read, {{2, 1}, {6, 1}});
    setDriveFaults(5, FaultKind::Write, {{4, 2}});
    auto drive = openDrive(5, Access::ReadWrite, kShareRead | kShareWrite);
    ASSERT_NE(drive, nullptr);
    using Row = std::vector<bool>;
    EXPECT_EQ(requestsPassing(*drive, false, 1, 8), (Row{true, true, false, true, true, true, false, true}));
    EXPECT_EQ(requestsPassing(*drive, false, 2, 8), (Row{true, false, false, true, true, false, false}));
    EXPECT_EQ(requestsPassing(*drive, true, 1, 8), (Row{true, true, true, true, false, false, true, true}));
    EXPECT_EQ(requestsPassing(*before, false, 8, 8), (Row{true}));  // opened before the call
    std::vector<uint8_t> first(kSectorSize), bad(kSectorSize), last(kSectorSize);
    const ReadPiece batch[] = {{0, first.data(), kSectorSize}, {2 * kSectorSize, bad.data(), kSectorSize},
                               {7 * kSectorSize, last.data(), kSectorSize}};
    EXPECT_EQ(drive->readPieces(batch), 1u) << "a batch stops at the faulty piece";
    clearDriveFaults(5);
    auto after = openDrive(5, Access::Read, kShareRead | kShareWrite);
    EXPECT_EQ(requestsPassing(*after, false, 8, 8), (Row{true}));
}

TEST_F(DeviceDirectoryTest, FaultsFromTheFaultsFile) {
    const std::string image = makeDrive(6);
    testing::writeTextFile(directory_.file("PhysicalDrive6.faults"),
                           "# sectors that fail\n"
                           "read 3 1\n"
                           "read x 1\n"
                           "reed 0 1\n"
                           "read 0\n"
                           "read 1 1 1\n"
                           "write 7 1   # the last sector\n"
                           "\n"
                           "read 99999999999999999999999 1\n");
    using Row = std::vector<bool>;
    std::vector<std::unique_ptr<Drive>> drives;  // by number and by path: the same faults
    drives.push_back(openDrive(6, Access::ReadWrite, kShareRead | kShareWrite));
    drives.push_back(openDrivePath(image, Access::ReadWrite, kShareRead | kShareWrite));
    for (const auto& drive : drives) {
        ASSERT_NE(drive, nullptr);
        EXPECT_EQ(requestsPassing(*drive, false, 1, 8), (Row{true, true, true, false, true, true, true, true}));
        EXPECT_EQ(requestsPassing(*drive, true, 1, 8), (Row{true, true, true, true, true, true, true, false}));
    }
}

TEST_F(DeviceDirectoryTest, FaultRangesAtTheTopOfTheSectorNumbersDoNotWrap) {
    makeDrive(7);
    setDriveFaults(7, FaultKind::Read, {{UINT64_MAX - 1, 4}});
    auto drive = openDrive(7, Access::Read, kShareRead);
    ASSERT_NE(drive, nullptr);
    std::vector<uint8_t> buffer(kSectorSize);
    EXPECT_EQ(drive->readAt(0, buffer.data(), buffer.size()), static_cast<int64_t>(kSectorSize));
}

}  // namespace
}  // namespace platform
