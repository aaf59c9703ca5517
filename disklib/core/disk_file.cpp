#include "disk_file.h"

#include "disk_state.h"

namespace drelmo {

int64_t CTQDiskFile::GetLength() {
    if (length_ == 0 && !binding_.Detached()) length_ = binding_.State()->GetLength();
    return length_;
}

int32_t CTQDiskFile::Read(void* buffer, int32_t count) {
    if (binding_.Detached()) return -1;
    DiskState* state = binding_.State();
    if (state->formatting) return -2;
    return state->ReadAt(buffer, count, &position_);
}

int32_t CTQDiskFile::Seek(int32_t offset, int32_t origin) {
    if (binding_.Detached()) return TQHD_E_NOTOPEN;
    if (binding_.State()->formatting) return TQHD_E_FORMATTING;
    const int64_t length = GetLength();
    const int64_t delta = offset;
    int64_t target = -1;
    if (origin == 0) {
        if (delta >= 0 && delta <= length) target = delta;
    } else if (origin == 1) {
        if ((delta >= 0 && delta <= length - position_) || (delta < 0 && -delta <= position_)) {
            target = position_ + delta;
        }
    } else if (delta <= 0 && -delta <= length) {
        target = length + delta;
    }
    if (target < 0) return TQHD_E_PARAM;
    position_ = target;
    return TQHD_OK;
}

}  // namespace drelmo
