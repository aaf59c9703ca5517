// Makes an ext2 volume inside a disk image with mke2fs, filled from a tree of entries.
#pragma once

#include "disk_image_builder.h"

namespace nvrtest {

// Runs mke2fs on `imagePath` at byte `offset` for `sizeBytes` (whole blocks of the chosen size).
// Throws std::runtime_error carrying mke2fs's output when it fails.
void makeExt2Volume(const std::string& imagePath, uint64_t offset, uint64_t sizeBytes,
                    const Ext2Options& options);

}  // namespace nvrtest
