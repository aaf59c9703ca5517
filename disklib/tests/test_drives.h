// The drives every disk library test program finds in its device directory, built once per run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disk_image_builder.h"

namespace disktest {

constexpr int kMainDisk = 1;        // signature, 1 KiB ext2 volume, raw area named "REC-A"
constexpr int kPlainExt2Disk = 2;   // no signature, 4 KiB ext2, four partitions, named "REC-A"
constexpr int kBlankDrive = 3;      // 8 MiB of zeros
constexpr int kForeignDrive = 4;    // a boot record without signature, first partition not ext2
constexpr int kSignedNoExt2 = 5;    // signature, first partition not ext2
constexpr int kBadBlockSize = 6;    // signature, ext2 with 2048-byte blocks
constexpr int kEmptyNameDisk = 7;   // signature, a fresh empty volume, no name
constexpr int kLongNameDisk = 12;   // signature, a 40-character name

constexpr uint64_t kBigFileSeed = 11;
constexpr uint64_t kBigFileSize = 300 * 1024;  // reaches the double-indirect blocks at 1 KiB
constexpr uint64_t kDeepFileSeed = 13;
constexpr uint64_t kDeepFileSize = 5000;
constexpr uint64_t kClipSeed = 21;
constexpr uint64_t kClipSize = (5 << 20) + 123;  // reaches the double-indirect blocks at 4 KiB
constexpr int kManyEntries = 3800;
constexpr char kReadmeText[] = "hello NVR disk\n";
constexpr char kLongName[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789wxyz";

// The device directory of this test run ($NVRDISK_DEVICE_DIR).
const nvrtest::DeviceDirectory& Devices();
// Builds the drives above once; later calls do nothing.
void BuildTestDrives();
// The image size of a built drive.
uint64_t DriveSize(int number);

std::vector<uint8_t> ReadWholeFile(const std::string& path);

}  // namespace disktest
