// RName texts: "/N/" names drive N, "/N/V/" the root of volume V, further components directories
// and a file. The drive prefix must use forward slashes; after it, backslashes count as slashes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace drelmo {

constexpr size_t kRNameMax = 255;

// Backslashes become slashes.
std::string NormalizeRName(std::string_view rname);
int CountSlashes(std::string_view text);
// The text up to and including its last slash (from position 2 on), as directory lookups use it.
std::string TrimToLastSlash(std::string text);
// The text after the last slash.
std::string LastComponent(std::string_view normalized);
// "/N/" and "/N/V/".
std::string DrivePrefix(int driveNumber);
std::string VolumePrefix(int driveNumber, int volume);
// The slash-separated components of `path` (empty components kept, a trailing slash ends the list).
std::vector<std::string> SplitComponents(std::string_view path);
// ASCII case-insensitive equality, as names compare in RNames.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

}  // namespace drelmo
