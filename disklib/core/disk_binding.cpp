#include "disk_binding.h"

#include <cstring>

#include "hard_disk.h"
#include "library_state.h"

namespace drelmo {

namespace {
constexpr size_t kOwnerNameMax = 259;
}

DiskBinding::~DiskBinding() {
    if (!state_) return;
    if (ownerSet_ && !ownerName_.empty()) TheInventory().UnregisterOwner(state_.get(), ownerName_);
    state_->openObjects -= 1;
}

int32_t DiskBinding::Bind(CTQHardDisk* disk) {
    if (disk == nullptr) return TQHD_E_PARAM;
    if (state_ != disk->State()) {
        if (state_) state_->openObjects -= 1;
        state_ = disk->State();
        state_->openObjects += 1;
    }
    if (state_->formatting) return TQHD_E_FORMATTING;
    return TQHD_OK;
}

void DiskBinding::SetOwnerName(const char* name) {
    if (ownerSet_ || name == nullptr) return;
    ownerSet_ = true;
    ownerName_.assign(name, strnlen(name, kOwnerNameMax));
    if (state_ && !ownerName_.empty()) TheInventory().RegisterOwner(state_.get(), ownerName_);
}

}  // namespace drelmo
