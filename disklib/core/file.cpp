#include "file.h"

#include "hard_disk.h"

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

int32_t CTQFile::Read(void* buffer, int32_t count) {
    if (binding_.Detached()) return -1;
    DiskState* state = binding_.State();
    if (state->formatting) return -2;
    if (count < 0) return -1;
    return state->FileRead(record_.lVolume, inode_, position_, static_cast<uint8_t*>(buffer),
                           static_cast<uint32_t>(count));
}

int32_t CTQFile::Seek(int32_t offset, int32_t origin) {
    if (binding_.Detached()) return TQHD_E_NOTOPEN;
    DiskState* state = binding_.State();
    if (state->formatting) return TQHD_E_FORMATTING;
    return state->FileSeek(record_.lVolume, inode_, position_, offset, origin);
}

int64_t CTQFile::GetPosition() {
    return static_cast<uint32_t>(position_.block * blockSize_ + position_.offset);
}

}  // namespace drelmo
