// Opening directories and finding files: by find record, by volume root, and by RName.
#pragma once

#include <memory>

#include "directory.h"
#include "hard_disk.h"
#include "nvr/result.h"

namespace drelmo {

// Opens the directory of `from`, or the root of `volume`; null on failure.
std::shared_ptr<CTQDirectory> OpenDirectory(CTQHardDisk* disk, const TQHD_FIND_DATA* from, int32_t volume);

// Opens the directory an RName names: "/N/V/" and "/N/V/name" the root of volume V, "/N/V/a/b/"
// and "/N/V/a/b/name" the directory a/b. Null when a component is missing or the volume is the raw
// data area. Waits for the ready flag and holds the global lock for the walk.
std::shared_ptr<CTQDirectory> OpenDirectoryByRName(const char* rname);

struct FoundFile {
    TQHD_FIND_DATA record{};
    std::shared_ptr<CTQHardDisk> disk;
};

// Finds the file an RName names (its last component, compared ignoring case); TQHD_E_PARAM when
// there is none.
nvr::Result<FoundFile> FindFileByRName(const char* rname);

}  // namespace drelmo
