// The file object (kind 3): reads an ordinary file of an ext2 volume, or, in recording mode, a
// recording stream served by the recording library.
#pragma once

#include "disk_binding.h"
#include "nvrfs.h"
#include "ext2_layout.h"
#include "root_class.h"
#include "volume.h"

namespace drelmo {

class CTQFile final : public CTQRootClass {
public:
    CTQFile() : CTQRootClass(kKindFile) {}
    // Closes the recording (recording mode) before the disk binding is released.
    ~CTQFile() override;

    bool IsValid() const override { return Kind() == kKindFile; }
    // Binds to the disk and looks up the record's inode. The inode's type is not tested: a
    // directory's record opens the directory's content as a file.
    int32_t OpenFile(CTQHardDisk* disk, const TQHD_FIND_DATA* record) override;
    // Recording mode from index file bytes: binds to the disk and opens the recording on its drive.
    // TQHD_E_FORMATTING while the disk formats, TQHD_E_FAIL when the recording library refuses.
    int32_t OpenBuffer(CTQHardDisk* disk, const char* data, uint32_t length);
    // Recording mode from the path of an index file; bound to no disk. TQHD_E_OPEN when refused.
    int32_t OpenPath(const char* path, int32_t mode);
    bool IsRecording() const { return recording_ != nullptr; }
    int64_t GetLength() override;
    // Bytes read, 0 at the end, -1 on failure, -2 while the disk formats (file mode only).
    int32_t Read(void* buffer, int32_t count) override;
    int32_t Seek(int32_t offset, int32_t origin) override;
    int64_t GetPosition() override;
    void SetOwnerName(const char* name) override { binding_.SetOwnerName(name); }

private:
    bool RecordingDetached() const;

    DiskBinding binding_;
    TQHD_FIND_DATA record_{};
    InodeBytes inodeBytes_{};
    Inode inode_;
    uint32_t blockSize_ = 0;
    FilePosition position_;
    NVRFS_HANDLE recording_ = nullptr;
};

}  // namespace drelmo
