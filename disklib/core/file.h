// The file object (kind 3): reads an ordinary file of an ext2 volume.
#pragma once

#include "disk_binding.h"
#include "ext2_layout.h"
#include "root_class.h"
#include "volume.h"

namespace drelmo {

class CTQFile final : public CTQRootClass {
public:
    CTQFile() : CTQRootClass(kKindFile) {}

    bool IsValid() const override { return Kind() == kKindFile; }
    // Binds to the disk and looks up the record's inode. The inode's type is not tested: a
    // directory's record opens the directory's content as a file.
    int32_t OpenFile(CTQHardDisk* disk, const TQHD_FIND_DATA* record) override;
    int64_t GetLength() override { return inode_.size; }
    // Bytes read, 0 at the end, -1 on failure, -2 while the disk formats.
    int32_t Read(void* buffer, int32_t count) override;
    int32_t Seek(int32_t offset, int32_t origin) override;
    int64_t GetPosition() override;
    void SetOwnerName(const char* name) override { binding_.SetOwnerName(name); }

private:
    DiskBinding binding_;
    TQHD_FIND_DATA record_{};
    InodeBytes inodeBytes_{};
    Inode inode_;
    uint32_t blockSize_ = 0;
    FilePosition position_;
};

}  // namespace drelmo
