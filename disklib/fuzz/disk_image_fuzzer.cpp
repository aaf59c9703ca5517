// Fuzzes everything the library decodes from a drive: the boot record, superblocks, group
// descriptors, inodes, block tables and directory entries, on an image held in memory.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "directory_lookup.h"
#include "file.h"
#include "hard_disk.h"

namespace {

constexpr size_t kMaxEntries = 64;
constexpr int32_t kReadPiece = 64 * 1024;
constexpr int64_t kMaxBytesPerFile = 1 << 20;

void ReadFile(drelmo::CTQHardDisk& disk, const TQHD_FIND_DATA& record) {
    drelmo::CTQFile file;
    if (file.OpenFile(&disk, &record) != TQHD_OK) return;
    std::vector<uint8_t> buffer(kReadPiece);
    (void)file.Seek(-7, 2);
    (void)file.Seek(0, 0);
    for (int64_t total = 0; total < kMaxBytesPerFile;) {
        const int32_t got = file.Read(buffer.data(), kReadPiece);
        if (got <= 0) break;
        total += got;
    }
}

void WalkDirectory(drelmo::CTQHardDisk& disk, const TQHD_FIND_DATA* from, int32_t volume, int depth) {
    auto dir = drelmo::OpenDirectory(&disk, from, volume);
    if (!dir) return;
    TQHD_FIND_DATA first{};
    if (dir->GetFindList(&first) != TQHD_OK) return;
    size_t seen = 0;
    for (const TQHD_FIND_DATA* record = &first; record != nullptr && seen < kMaxEntries; record = record->pNext, ++seen) {
        ReadFile(disk, *record);
        if (record->lType == TQHD_TYPE_DIRECTORY && depth < 2) WalkDirectory(disk, record, -1, depth + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> image(data, data + size);
    image.resize(std::max<size_t>(512, (size + 511) / 512 * 512), 0);
    drelmo::CTQHardDisk disk;
    TQHD_DISK_INFO info{80, 0, 1, 0, {}};
    if (disk.State()->ProbeWith(platform::makeMemoryDrive(std::move(image)), &info) != TQHD_OK) return 0;
    (void)disk.State()->ReadName();
    TQHD_DRIVER_INFO volumes[4]{};
    int32_t count = 0;
    if (disk.GetPartitions(volumes, &count) != TQHD_OK) return 0;
    for (int32_t volume = 0; volume < count; ++volume) WalkDirectory(disk, nullptr, volume, 0);
    return 0;
}
