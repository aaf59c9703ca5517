// The directory object (kind 2): lists the entries of one ext2 directory as a chain of find records.
#pragma once

#include <deque>

#include "disk_binding.h"
#include "ext2_layout.h"
#include "root_class.h"
#include "volume.h"

namespace drelmo {

class CTQDirectory final : public CTQRootClass {
public:
    CTQDirectory() : CTQRootClass(kKindDirectory) {}

    bool IsValid() const override { return Kind() == kKindDirectory; }
    // Binds to the directory named by `from` (its volume and inode), or to the root of `volume`.
    int32_t OpenFind(CTQHardDisk* disk, const TQHD_FIND_DATA* from, int32_t volume) override;
    // Fills *first with the first visible entry and chains the rest; built once, then repeated.
    int32_t GetFindList(TQHD_FIND_DATA* first) override;
    void SetOwnerName(const char* name) override { binding_.SetOwnerName(name); }

    CTQHardDisk* Disk() const;

private:
    int32_t BuildList(TQHD_FIND_DATA* first);
    TQHD_FIND_DATA* NextRecord(TQHD_FIND_DATA* filled);

    DiskBinding binding_;
    TQHD_FIND_DATA identity_{};
    Inode inode_;
    DirectoryContent content_;
    bool listed_ = false;
    int32_t listResult_ = TQHD_E_NOTFOUND;
    TQHD_FIND_DATA storedFirst_{};
    std::deque<TQHD_FIND_DATA> records_;  // the records after the first; a deque keeps addresses
};

}  // namespace drelmo
