// What directory, file and whole-disk objects share: the disk they are bound to, the disk's
// open-object count, and the owner name registered with the disk.
#pragma once

#include <memory>
#include <string>

#include "disk_state.h"

namespace drelmo {

class CTQHardDisk;

class DiskBinding {
public:
    DiskBinding() = default;
    // Unregisters the owner name and lowers the disk's open-object count.
    ~DiskBinding();
    DiskBinding(const DiskBinding&) = delete;
    DiskBinding& operator=(const DiskBinding&) = delete;

    // Binds to the disk (counting it once, before any check can fail); TQHD_E_FORMATTING while
    // the disk formats, TQHD_E_PARAM for a null disk.
    int32_t Bind(CTQHardDisk* disk);
    DiskState* State() const { return state_.get(); }
    bool Bound() const { return state_ != nullptr; }
    // The disk is gone or was never bound: every operation fails.
    bool Detached() const { return !state_ || state_->retired; }

    // Keeps the first name given and registers it with the bound disk.
    void SetOwnerName(const char* name);

private:
    std::shared_ptr<DiskState> state_;
    bool ownerSet_ = false;
    std::string ownerName_;
};

}  // namespace drelmo
