// Writes a volume's tree (directories, literal and pattern files) into a host directory, which
// mke2fs -d then copies into the new volume.
#pragma once

#include "disk_image_builder.h"

namespace nvrtest {

// Creates every entry below `root`; parent directories are created as needed. Throws
// std::invalid_argument for an empty path or one that leaves `root`, std::system_error on I/O.
void writeTree(const std::string& root, const std::vector<TreeEntry>& entries);

}  // namespace nvrtest
