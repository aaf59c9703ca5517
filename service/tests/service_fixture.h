// The drives every service test shares, and one halvex serving them for the whole test program.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "disk_image_builder.h"
#include "service_harness.h"

namespace halvextest {

// Drive numbers of the shared device directory.
enum Drive : int {
    kDataDrive = 1,        // volume 0: big.bin, d3799/ (3799 files), d3800/ (3800 files)
    kLeakDrive = 9,        // volume 0: a.txt; handles are opened and abandoned on it
    kFirstCopyPair = 2,    // sources and blank targets of the same size: 2->3, 4->5, 10->11, 12->13
    kResumeSource = 7,     // three chunks; its target 8 holds a resume record at chunk 1
    kBusyDrive = 14,       // volume 0: a.txt; a program registers on it, so formatting is refused
};

constexpr uint64_t kBigFileSize = 3000100;
constexpr uint64_t kBigFileSeed = 77;
constexpr uint64_t kCopyChunk = 10485760;

struct SharedService {
    std::unique_ptr<nvrtest::TempDir> scratch;
    std::string deviceDirectory;
    std::string runtimeDirectory;
    std::unique_ptr<RunningService> service;
};

// Built on first use; the service stops when the program ends.
SharedService& sharedService();

// Tests against the shared service: each test's clients connect to it.
class ServiceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    // A connected client; fails the test when it cannot connect.
    static RawClient connected();
    static RunningService& service() { return *sharedService().service; }
};

}  // namespace halvextest
