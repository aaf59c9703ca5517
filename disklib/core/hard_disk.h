// The disk object (kind 1): one recognised physical drive, owned by the inventory.
#pragma once

#include <memory>

#include "disk_state.h"
#include "root_class.h"

namespace drelmo {

class CTQHardDisk final : public CTQRootClass {
public:
    CTQHardDisk();
    // Retires the disk: waits for its workers, closes the drive, frees the volumes.
    ~CTQHardDisk() override;

    bool IsValid() const override { return Kind() == kKindDisk; }
    int32_t OpenDisk(TQHD_DISK_INFO* info) override { return state_->Probe(info); }
    int32_t Reserved3(int32_t) override { return 0; }
    int32_t GetPartitions(TQHD_DRIVER_INFO* list, int32_t* count) override {
        return state_->GetPartitions(list, count);
    }
    int64_t GetLength() override { return state_->GetLength(); }

    const std::shared_ptr<DiskState>& State() const { return state_; }

private:
    std::shared_ptr<DiskState> state_;
};

}  // namespace drelmo
