// The disks `nvrdisk sample` writes: two disks of one recorder with a small browsable tree.
#pragma once

#include <vector>

#include "disk_image_builder.h"

namespace nvrdisk {

// The name in both disks' raw data areas; equal names put the disks into one group.
inline constexpr const char* sampleRecorderName = "SAMPLE-NVR-01";
// Entries of the crowded directory many/ on the first disk.
inline constexpr int sampleCrowdedEntries = 300;

// The tree of volume 0 of drive 1: text files, a few MiB of pattern files, an empty directory
// and a directory of sampleCrowdedEntries files.
std::vector<nvrtest::TreeEntry> sampleMainVolumeTree();
// Drive 1: an ext2 volume with that tree (1 KiB blocks) and a named raw data area.
nvrtest::DiskPlan sampleFirstDisk();
// Drive 2: all four partition entries: ext2, raw area, ext2 with 4 KiB blocks, an empty ext2.
nvrtest::DiskPlan sampleSecondDisk();

}  // namespace nvrdisk
