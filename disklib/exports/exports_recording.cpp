// Exports that open recordings: by find record, RName, index file bytes or path, and the drive
// probe by path. A recording handle is a file object in recording mode.
#include <strings.h>

#include <algorithm>

#include <cstring>
#include <vector>

#include "../core/api_support.h"
#include "../core/directory_lookup.h"
#include "../core/file.h"
#include "nvrfs.h"
#include "tqhd.h"

using namespace drelmo;

namespace {

constexpr char kIndexExtension[] = ".nvr";
constexpr size_t kExtensionLength = 4;
// Index files of 4 GiB - 1 or more are refused by the recording library; they are not read.
constexpr int64_t kLargestIndexFile = 0xFFFFFFFFll;

bool NamesIndexFile(const TQHD_FIND_DATA& record) {
    const size_t length = strnlen(record.szName, sizeof record.szName);
    return length > kExtensionLength && strcasecmp(record.szName + length - kExtensionLength, kIndexExtension) == 0;
}

// Reads the whole file the object has open; TQHD_E_READ when fewer bytes arrive than its size.
nvr::Result<std::vector<char>> ReadWholeFile(CTQFile& file) {
    const int64_t size = file.GetLength();
    if (size < 0 || size >= kLargestIndexFile) return nvr::fail(TQHD_E_READ);
    std::vector<char> bytes(static_cast<size_t>(size));
    size_t done = 0;
    while (done < bytes.size()) {
        const size_t piece = std::min<size_t>(bytes.size() - done, 1 << 30);
        const int32_t got = file.Read(bytes.data() + done, static_cast<int32_t>(piece));
        if (got <= 0) return nvr::fail(TQHD_E_READ);
        done += static_cast<size_t>(got);
    }
    return bytes;
}

// Opens the index file of `record` in file mode, reads it, and reopens the object in recording
// mode from its bytes. Null on any failure.
TQHD_HANDLE OpenRecordingOfRecord(CTQHardDisk* disk, const TQHD_FIND_DATA& record) {
    if (!NamesIndexFile(record)) return nullptr;
    auto file = std::make_shared<CTQFile>();
    if (file->OpenFile(disk, &record) != TQHD_OK) return nullptr;
    auto bytes = ReadWholeFile(*file);
    if (!bytes) return nullptr;
    if (file->OpenBuffer(disk, bytes->data(), static_cast<uint32_t>(bytes->size())) != TQHD_OK) return nullptr;
    return Publish(std::move(file));
}

}  // namespace

extern "C" {

TQHD_HANDLE TQHD_OpenAVFileByFind(TQHD_HANDLE disk, const TQHD_FIND_DATA* record) {
    return Guarded<TQHD_HANDLE>(nullptr, [&]() -> TQHD_HANDLE {
        if (disk == nullptr || record == nullptr) return nullptr;
        WaitReady();
        nvr::CAutoCri guard(GlobalLock());
        auto listed = ListedDisk(disk);
        return listed ? OpenRecordingOfRecord(listed.get(), *record) : nullptr;
    });
}

TQHD_HANDLE TQHD_OpenAVFileByRName(const char* rname) {
    return Guarded<TQHD_HANDLE>(nullptr, [&]() -> TQHD_HANDLE {
        if (rname == nullptr) return nullptr;
        WaitReady();
        nvr::CAutoCri guard(GlobalLock());
        auto found = FindFileByRName(rname);
        return found ? OpenRecordingOfRecord(found->disk.get(), found->record) : nullptr;
    });
}

TQHD_HANDLE TQHD_OpenAVFileByIndexFileCon(TQHD_HANDLE disk, char* indexData, uint32_t length) {
    return Guarded<TQHD_HANDLE>(nullptr, [&]() -> TQHD_HANDLE {
        if (disk == nullptr || indexData == nullptr || length == 0) return nullptr;
        WaitReady();
        nvr::CAutoCri guard(GlobalLock());
        auto listed = ListedDisk(disk);
        if (!listed) return nullptr;
        auto file = std::make_shared<CTQFile>();
        if (file->OpenBuffer(listed.get(), indexData, length) != TQHD_OK) return nullptr;
        return Publish(std::move(file));
    });
}

TQHD_HANDLE TQHD_OpenAVFileByName(const char* path, int32_t mode) {
    return Guarded<TQHD_HANDLE>(nullptr, [&]() -> TQHD_HANDLE {
        if (path == nullptr || *path == '\0') return nullptr;
        auto file = std::make_shared<CTQFile>();
        if (file->OpenPath(path, mode) != TQHD_OK) return nullptr;
        return Publish(std::move(file));
    });
}

uint32_t TQHD_IsNvrFile(const char* path) {
    return Guarded<uint32_t>(1, [&] { return NVRFS_IsNvrFile(path); });
}

}  // extern "C"
