// Reading and positioning inside a file of a volume. Runs of physically consecutive blocks are read
// with one request straight into the caller's buffer; only partial first and last blocks go through
// a scratch block.
#include <algorithm>
#include <cstring>

#include "block_map.h"
#include "volume.h"

namespace drelmo {

namespace {

struct ReadState {
    FilePosition& position;
    uint8_t* buffer;
    uint32_t count;
    uint32_t delivered = 0;
};

void advance(FilePosition& position, uint64_t bytes, uint32_t blockSize) {
    const uint64_t total = uint64_t{position.offset} + bytes;
    position.block += static_cast<uint32_t>(total / blockSize);
    position.offset = static_cast<uint32_t>(total % blockSize);
}

// Blocks that continue `table.entries[index]` by +1 each (or holes that continue a hole), capped.
uint32_t runLength(const BlockTable& table, uint32_t index, uint32_t maxBlocks) {
    const uint32_t first = table.entries[index];
    uint32_t run = 1;
    while (run < maxBlocks && index + run < table.count) {
        const uint32_t next = table.entries[index + run];
        if (first == 0 ? next != 0 : next != first + run) break;
        ++run;
    }
    return run;
}

}  // namespace

int32_t Volume::fileRead(platform::Drive& drive, const Inode& inode, FilePosition& position, uint8_t* buffer,
                         uint32_t count) {
    const uint32_t bs = blockSize_;
    if (bs == 0) return -1;
    const uint64_t current = uint64_t{position.block} * bs + position.offset;
    if (current >= inode.size) return 0;
    count = static_cast<uint32_t>(std::min<uint64_t>(count, inode.size - current));
    if (position.offset == bs) advance(position, 0, bs);

    BlockMap map(*this, drive, inode);
    std::vector<uint8_t> scratch;
    ReadState state{position, buffer, count};
    while (state.delivered < state.count) {
        auto table = map.tableFor(position.block);
        if (!table) break;
        const uint32_t index = static_cast<uint32_t>(position.block - table->firstLogical);
        const uint32_t physical = table->entries[index];
        if (physical != 0 && !blockInRange(physical)) break;
        const uint32_t wanted = state.count - state.delivered;
        if (position.offset > 0 || wanted < bs) {
            // A partial block: read it whole into the scratch block and copy the wanted part.
            scratch.resize(bs);
            int64_t got = bs;
            if (physical == 0) std::fill(scratch.begin(), scratch.end(), 0);
            else got = readBytes(drive, uint64_t{physical} * bs, scratch.data(), bs);
            const uint32_t available = bs - position.offset;
            const uint32_t want = std::min(available, wanted);
            const int64_t readable = std::max<int64_t>(0, got - position.offset);
            const uint32_t take = static_cast<uint32_t>(std::min<int64_t>(want, readable));
            std::memcpy(buffer + state.delivered, scratch.data() + position.offset, take);
            state.delivered += take;
            advance(position, take, bs);
            if (take < want) break;
            continue;
        }
        const uint32_t run = runLength(*table, index, wanted / bs);
        const uint64_t bytes = uint64_t{run} * bs;
        int64_t got = static_cast<int64_t>(bytes);
        if (physical == 0) std::memset(buffer + state.delivered, 0, bytes);
        else got = readBytes(drive, uint64_t{physical} * bs, buffer + state.delivered, bytes);
        if (got <= 0) break;
        state.delivered += static_cast<uint32_t>(got);
        advance(position, static_cast<uint64_t>(got), bs);
        if (got < static_cast<int64_t>(bytes)) break;
    }
    return static_cast<int32_t>(state.delivered);
}

nvr::Code Volume::fileSeek(const Inode& inode, FilePosition& position, int32_t offset, int32_t origin) const {
    const uint32_t bs = blockSize_;
    if (bs == 0) return TQHD_E_PARAM;
    // Sizes compare as signed 32-bit numbers from the start and the end, so a file of 2 GiB or more
    // can be positioned only relative to the current position.
    const int64_t signedSize = static_cast<int32_t>(inode.size);
    const int64_t current = int64_t{position.block} * bs + position.offset;
    const int64_t delta = offset;
    int64_t target = -1;
    if (origin == 0) {
        if (delta >= 0 && delta <= signedSize) target = delta;
    } else if (origin == 1) {
        const int64_t rest = int64_t{inode.size} - current;
        if ((delta > 0 && delta <= rest) || (delta <= 0 && -delta <= current)) target = current + delta;
    } else if (origin == 2) {
        if (delta <= 0 && -delta <= signedSize) target = signedSize + delta;
    }
    if (target < 0) return TQHD_E_PARAM;
    position.block = static_cast<uint32_t>(target / bs);
    position.offset = static_cast<uint32_t>(target % bs);
    return TQHD_OK;
}

}  // namespace drelmo
