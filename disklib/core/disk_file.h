// The whole-disk file object (kind 4): a physical drive read as one long file.
#pragma once

#include "disk_binding.h"
#include "root_class.h"

namespace drelmo {

class CTQDiskFile final : public CTQRootClass {
public:
    CTQDiskFile() : CTQRootClass(kKindDiskFile) {}

    bool IsValid() const override { return Kind() == kKindDiskFile; }
    int32_t OpenFile(CTQHardDisk* disk, const TQHD_FIND_DATA* record) override { return binding_.Bind(disk); }
    // The drive's size, asked once and kept.
    int64_t GetLength() override;
    // Whole sectors at sector positions only; bytes read, 0 at the end, -1 on failure, -2 while
    // the disk formats.
    int32_t Read(void* buffer, int32_t count) override;
    int32_t Seek(int32_t offset, int32_t origin) override;
    void SetOwnerName(const char* name) override { binding_.SetOwnerName(name); }

private:
    DiskBinding binding_;
    int64_t length_ = 0;
    int64_t position_ = 0;
};

}  // namespace drelmo
