#include "block_map.h"

#include "nvr/byte_reader.h"
#include "volume.h"

namespace drelmo {

BlockMap::BlockMap(const Volume& volume, platform::Drive& drive, const Inode& inode)
    : volume_(volume), drive_(drive), inode_(inode), perBlock_(volume.blockSize() / 4), levels_(3) {}

nvr::Code BlockMap::readPointers(uint32_t blockNumber, int depth) {
    CachedBlock& cached = levels_[depth];
    if (cached.valid && cached.number == blockNumber) return TQHD_OK;
    cached.valid = false;
    cached.pointers.assign(perBlock_, 0);
    if (blockNumber == 0) {  // a hole: every block below it is a hole too
        cached.number = 0;
        cached.valid = true;
        return TQHD_OK;
    }
    if (!volume_.blockInRange(blockNumber)) return TQHD_E_SEEK;
    scratch_.resize(volume_.blockSize());
    const int64_t got = volume_.readBytes(drive_, uint64_t{blockNumber} * volume_.blockSize(), scratch_.data(),
                                          scratch_.size());
    if (got < 0) return TQHD_E_SEEK;
    if (got != static_cast<int64_t>(scratch_.size())) return TQHD_E_READ;
    nvr::ByteReader reader(scratch_);
    for (uint32_t i = 0; i < perBlock_; ++i) cached.pointers[i] = reader.u32le(4 * uint64_t{i});
    cached.number = blockNumber;
    cached.valid = true;
    return TQHD_OK;
}

nvr::Result<BlockTable> BlockMap::tableFor(uint64_t logical) {
    if (logical < kDirectBlocks) return BlockTable{inode_.block.data(), 0, kDirectBlocks};
    const uint64_t p = perBlock_;
    uint64_t index = logical - kDirectBlocks;
    int levels = 1;
    uint32_t top = inode_.block[kSingleIndirect];
    if (index >= p) {
        index -= p;
        levels = 2;
        top = inode_.block[kDoubleIndirect];
        if (index >= p * p) {
            index -= p * p;
            levels = 3;
            top = inode_.block[kTripleIndirect];
            if (index >= p * p * p) return nvr::fail(TQHD_E_SEEK);
        }
    }
    uint32_t block = top;
    uint64_t divisor = levels == 3 ? p * p : p;
    for (int depth = 0; depth < levels; ++depth) {
        if (nvr::Code code = readPointers(block, depth); code != TQHD_OK) return nvr::fail(code);
        if (depth == levels - 1) break;
        block = levels_[depth].pointers[index / divisor];
        index %= divisor;
        divisor /= p;
    }
    const CachedBlock& leaf = levels_[levels - 1];
    return BlockTable{leaf.pointers.data(), logical - index, perBlock_};
}

}  // namespace drelmo
