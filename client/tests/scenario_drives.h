// The drives every scenario runs on, built once per test program before the world starts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "recording_builder.h"

namespace clienttest {

// Drive 1: files, a crowded directory and recordings; 2 and 3: small NVR disks; 4: formatted by
// the tests; 5: the copy source; 6: a blank copy target.
constexpr int kFilesDrive = 1;
constexpr int kFormatDrive = 4;
constexpr int kCopySource = 5;
constexpr int kCopyTarget = 6;
constexpr int kNvrDiskCount = 5;

constexpr const char* kFilesDiskName = "CLIENT-FILES";
constexpr int kCrowdedEntries = 3800;
// A file larger than the shared section, so a whole read of it is a chunked transfer.
constexpr uint64_t kBigFileSize = (2 << 20) + 3;
constexpr uint64_t kBigFileSeed = 7;

std::vector<nvrtest::RecordingPlan> scenarioRecordings();
void buildScenarioDrives(const std::string& directory);

// The RName of a file of the files drive, e.g. "/1/0/data/big.bin".
std::string filesRName(const std::string& path);

}  // namespace clienttest
