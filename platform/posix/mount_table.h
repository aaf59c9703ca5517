// Internal: the kernel's tables of mounts and swap areas, and the devices that make up one disk
// in sysfs. Parsed from text so tests can feed their own tables and sysfs trees.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// A device number as the kernel prints it ("8:1"), packed as major << 20 | minor.
using DeviceNumber = uint64_t;
DeviceNumber deviceNumber(unsigned major, unsigned minor);
// Parses "major:minor"; false for anything else.
bool parseDeviceNumber(std::string_view text, DeviceNumber& out);

struct MountEntry {
    DeviceNumber device = 0;  // field 3 of mountinfo
    std::string mountPoint;   // field 5, with \040-style escapes undone
    std::string source;       // the first field after " - " and the file system type
};

// The entries of /proc/self/mountinfo text; malformed lines are skipped.
std::vector<MountEntry> parseMountInfo(std::string_view text);
// The paths in the first column of /proc/swaps text (header skipped).
std::vector<std::string> parseSwapPaths(std::string_view text);

// The device numbers that make up the whole disk holding `device` (a disk or a partition): the
// disk, its partitions, and the devices stacked on any of them (device mapper, md), read from
// `sysRoot` ("/sys" on a running system). Contains at least `device`.
std::set<DeviceNumber> diskDevices(const std::string& sysRoot, DeviceNumber device);

}  // namespace platform
