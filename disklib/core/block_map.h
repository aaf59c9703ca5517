// Maps a file's logical blocks to volume blocks through the direct and indirect tables, keeping
// the pointer blocks it read last so that consecutive blocks cost no extra reads.
#pragma once

#include <cstdint>
#include <vector>

#include "ext2_layout.h"
#include "nvr/result.h"
#include "platform/drive.h"

namespace drelmo {

class Volume;

// A run of entries of one block table (the 12 direct entries, or one pointer block).
struct BlockTable {
    const uint32_t* entries = nullptr;
    uint64_t firstLogical = 0;  // the logical block that entries[0] maps
    uint32_t count = 0;
};

class BlockMap {
public:
    BlockMap(const Volume& volume, platform::Drive& drive, const Inode& inode);

    // The table holding the entry of `logical`; TQHD_E_SEEK for a pointer outside the volume or a
    // block beyond the triple-indirect range, TQHD_E_READ when a pointer block cannot be read.
    nvr::Result<BlockTable> tableFor(uint64_t logical);

private:
    struct CachedBlock {
        uint32_t number = 0;
        bool valid = false;
        std::vector<uint32_t> pointers;
    };

    nvr::Code readPointers(uint32_t blockNumber, int depth);

    const Volume& volume_;
    platform::Drive& drive_;
    const Inode& inode_;
    uint32_t perBlock_;
    std::vector<CachedBlock> levels_;  // the pointer block read last at each depth (0 = top)
    std::vector<uint8_t> scratch_;
};

}  // namespace drelmo
