// Finding the ".264"/".265" files to check under a path.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace videocheck {

// True when the last four characters are exactly ".264" or ".265" (case matters).
bool hasVideoExtension(std::string_view path);

// The files to check for `path`: the path alone when it has a video extension; otherwise every
// file with one in the directory tree under it, depth first, each directory in the order it lists
// its entries. Symbolic links to directories are not followed. A path that is neither gives an
// empty list, as does a directory that cannot be read.
std::vector<std::string> collectVideoFiles(const std::string& path);

// The part of `path` after its last '/'.
std::string fileNameOf(const std::string& path);

}  // namespace videocheck
