#include "file.h"

#include "hard_disk.h"

#include <vector>

namespace drelmo {

int32_t CTQFile::OpenFile(CTQHardDisk* disk, const TQHD_FIND_DATA* record) {
    if (int32_t code = binding_.Bind(disk); code != TQHD_OK) return code;
    if (record == nullptr) return TQHD_E_PARAM;
    record_ = *record;
    record_.pNext = nullptr;
    DiskState* state = binding_.State();
    if (record_.lVolume < 0 || record_.lVolume >= state->VolumeCount()) return TQHD_E_PARAM;
    position_ = FilePosition{};
    auto found = state->Lookup(record_.lVolume, record_.lInode);
    if (!found) return TQHD_E_UNRECOGNISED;
    inodeBytes_ = found->bytes;
    inode_ = decodeInode(inodeBytes_);
    blockSize_ = found->blockSize;
    return TQHD_OK;
}

CTQFile::~CTQFile() {
    if (recording_ != nullptr) NVRFS_close(recording_);
}

int32_t CTQFile::OpenBuffer(CTQHardDisk* disk, const char* data, uint32_t length) {
    if (int32_t code = binding_.Bind(disk); code != TQHD_OK) return code;
    if (recording_ != nullptr) return TQHD_E_FAIL;
    // The library keeps no reference to the bytes; they are copied so its argument may be non-const.
    std::vector<char> bytes(data, data + (data != nullptr ? length : 0));
    recording_ = NVRFS_open_BufferMode(binding_.State()->DriveNumber(), bytes.empty() ? nullptr : bytes.data(), length);
    return recording_ != nullptr ? TQHD_OK : TQHD_E_FAIL;
}

int32_t CTQFile::OpenPath(const char* path, int32_t mode) {
    if (recording_ != nullptr || path == nullptr || *path == '\0') return TQHD_E_PARAM;
    recording_ = NVRFS_open(path, mode);
    return recording_ != nullptr ? TQHD_OK : TQHD_E_OPEN;
}

// A recording bound to a disk fails once the disk is gone, like every object bound to it.
bool CTQFile::RecordingDetached() const { return binding_.Bound() && binding_.Detached(); }

int64_t CTQFile::GetLength() {
    if (recording_ == nullptr) return inode_.size;
    return RecordingDetached() ? -1 : NVRFS_GetFileSize(recording_);
}

int32_t CTQFile::Read(void* buffer, int32_t count) {
    if (recording_ != nullptr) {  // no formatting test: recordings keep reading through their own drive
        if (RecordingDetached() || count < 0) return -1;
        return NVRFS_read(static_cast<char*>(buffer), 1, static_cast<uint32_t>(count), recording_);
    }
    if (binding_.Detached()) return -1;
    DiskState* state = binding_.State();
    if (state->formatting) return -2;
    if (count < 0) return -1;
    return state->FileRead(record_.lVolume, inode_, position_, static_cast<uint8_t*>(buffer),
                           static_cast<uint32_t>(count));
}

int32_t CTQFile::Seek(int32_t offset, int32_t origin) {
    if (recording_ != nullptr) {
        if (RecordingDetached()) return TQHD_E_NOTOPEN;
        const int32_t libraryOrigin = origin == 0 || origin == 1 ? origin : 2;
        return NVRFS_seek(recording_, offset, libraryOrigin) == -1 ? TQHD_E_PARAM : TQHD_OK;
    }
    if (binding_.Detached()) return TQHD_E_NOTOPEN;
    DiskState* state = binding_.State();
    if (state->formatting) return TQHD_E_FORMATTING;
    return state->FileSeek(record_.lVolume, inode_, position_, offset, origin);
}

int64_t CTQFile::GetPosition() {
    if (recording_ != nullptr) return RecordingDetached() ? -1 : int64_t{NVRFS_tell(recording_)};
    return static_cast<uint32_t>(position_.block * blockSize_ + position_.offset);
}

}  // namespace drelmo
