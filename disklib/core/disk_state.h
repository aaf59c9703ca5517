// The state of one physical drive: its handle, boot record, name, volumes, registrations and
// workers, guarded by the disk lock. Objects bound to the disk share it, so a disk that the watcher
// removes can be retired (drive closed, volumes freed) while handles still point at it: they then
// fail cleanly and never reach freed memory.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "boot_record.h"
#include "nvr/cautocri.h"
#include "platform/drive.h"
#include "platform/thread.h"
#include "tqhd_types.h"
#include "volume.h"

namespace drelmo {

// A copy of one volume record, for the formatter.
struct VolumeRecord {
    int entryIndex = 0;
    uint32_t firstSector = 0;
    uint32_t blockSize = 0;           // 0: no file system
    std::vector<uint8_t> superblock;  // 1024 bytes, empty when it could not be read
    uint32_t groupCount = 0;
};

struct Registrations {
    uint32_t userValue = 0;
    TQHD_EVENT_CALLBACK callback = nullptr;
    TQHD_HWND window = nullptr;
    uint32_t messageId = 0;
};

class DiskState {
public:
    DiskState();
    ~DiskState();
    DiskState(const DiskState&) = delete;
    DiskState& operator=(const DiskState&) = delete;

    nvr::CriticalSection& lock() { return lock_; }

    // ---- Drive and recognition ----
    // Opens drive info->hdindex and decides whether it is an NVR disk. TQHD_OK keeps the drive open;
    // otherwise info->lSize receives the capacity in MiB (except when the drive cannot be opened).
    int32_t Probe(TQHD_DISK_INFO* info);
    // The same decision on a drive opened by the caller (an image in memory, for tests and fuzzing).
    int32_t ProbeWith(std::unique_ptr<platform::Drive> drive, TQHD_DISK_INFO* info);
    void CloseDrive();
    // Replaces the drive handle with a fresh read-only one (after a format); false when the drive
    // cannot be opened, which leaves the disk without a drive handle.
    bool ReopenForReading();
    bool DriveOpen();
    int32_t DriveNumber() const { return driveNumber_; }
    int EntryScanLimit() const { return lDriver_; }
    const BootRecord& Boot() const { return boot_; }
    // The drive's size in bytes, -1 when unknown.
    int64_t GetLength();
    // Reads the name from the raw data area's first sector; the previous name stays on failure.
    std::string ReadName();
    // Reads at *position and advances it by the bytes read; -1 on failure.
    int32_t ReadAt(void* buffer, int32_t count, int64_t* position);

    // ---- Volumes ----
    int32_t GetPartitions(TQHD_DRIVER_INFO* list, int32_t* count);
    int32_t VolumeCount();
    nvr::Result<LookupResult> Lookup(int32_t volume, uint32_t inode);
    int32_t FileRead(int32_t volume, const Inode& inode, FilePosition& position, uint8_t* buffer, uint32_t count);
    int32_t FileSeek(int32_t volume, const Inode& inode, FilePosition& position, int32_t offset, int32_t origin);
    void ClearInodeCaches();
    void ReleaseVolumes();
    std::vector<VolumeRecord> VolumeRecords();

    // ---- Objects bound to the disk ----
    std::atomic<int32_t> openObjects{0};
    std::atomic<bool> formatting{false};
    // Set while a copy worker runs on this object, cleared before its last event.
    std::atomic<bool> copying{false};
    std::atomic<bool> stopFlag{false};
    // Set when the disk is gone; bound objects then fail every call.
    std::atomic<bool> retired{false};

    // ---- Events and workers ----
    void SetCallback(uint32_t userValue, TQHD_EVENT_CALLBACK callback);
    void SetWindow(uint32_t userValue, TQHD_HWND window, uint32_t messageId);
    // Delivers an event synchronously: to the window first, then to the callback; no lock is held
    // during the calls, so receivers may call back into the library.
    void Notify(TQHD_EVENT* event);
    // Posts a quit message to the copy and format workers and empties the inode caches.
    void RequestStop();
    // Waits for the workers, closes the drive and frees the volumes; bound objects fail afterwards.
    void Retire();
    std::unique_ptr<platform::MessageThread> copyWorker;
    std::unique_ptr<platform::MessageThread> formatWorker;

private:
    int32_t Judge(TQHD_DISK_INFO* info);
    int32_t ReadCapacityMiB();
    Volume* VolumeAt(int32_t volume);

    nvr::CriticalSection lock_;
    int32_t driveNumber_ = -1;
    std::unique_ptr<platform::Drive> drive_;
    std::array<uint8_t, kBootRecordSize> bootBytes_{};
    BootRecord boot_;
    int lDriver_ = 0;
    TQHD_DISK_INFO info_{};
    std::string name_;
    std::vector<std::unique_ptr<Volume>> volumes_;
    Registrations registrations_;
};

// Answers whether the calling worker was asked to stop: removes one message from its mailbox and
// returns TQHD_E_STOPPED when it was the quit message, TQHD_OK otherwise.
int32_t StopRequested();

}  // namespace drelmo
