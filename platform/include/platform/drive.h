// Physical drives: opening drive N, whole-sector reads and writes, length, and a fault hook.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace platform {

constexpr uint32_t kSectorSize = 512;

enum class Access { Read, ReadWrite };
// Share modes, honoured between the handles of one process: an open fails when an earlier handle
// does not share the access it asks for, or when it does not share the access an earlier handle has.
enum Share : unsigned { kShareNone = 0, kShareRead = 1, kShareWrite = 2 };

// One piece of a batched read: `count` bytes at drive position `offset` into `buffer`.
struct ReadPiece {
    uint64_t offset = 0;
    void* buffer = nullptr;
    size_t count = 0;
};

// An open drive. Reads and writes must be whole 512-byte sectors at sector positions (the same rule
// for images as for devices); anything else fails with -1.
class Drive {
public:
    virtual ~Drive() = default;
    // Bytes read: `count` normally, fewer when the drive ends inside the request, 0 at or beyond
    // the end; -1 on failure.
    virtual int64_t readAt(uint64_t offset, void* buffer, size_t count) = 0;
    // Reads several pieces, each a request of its own under the sector rule, and returns how many
    // leading pieces were read whole. Drives of files and devices hand the whole batch to the
    // kernel in one call, so a reader of many scattered pieces pays one system call per batch
    // instead of one per piece; the default reads piece by piece.
    virtual size_t readPieces(std::span<const ReadPiece> pieces);
    // Bytes written, or -1 on failure. Writes beyond the end fail.
    virtual int64_t writeAt(uint64_t offset, const void* buffer, size_t count) = 0;
    // The drive's size in bytes, -1 when it cannot be found.
    virtual int64_t length() = 0;
    // Forces written bytes to the medium.
    virtual bool flush() = 0;
};

// Where drive N lives: $NVRDISK_DEVICE_DIR/PhysicalDrive<N> when the variable is set, else
// /dev/sd<a+N> (N = 0..25). Empty for numbers that map to nothing.
std::string drivePath(int number);
// The directory watched for arrivals and removals: $NVRDISK_DEVICE_DIR, else /dev.
std::string deviceDirectory();
// True when drives come from $NVRDISK_DEVICE_DIR.
bool usingDeviceDirectory();
// The drive number an entry name of the device directory stands for, or -1
// ("PhysicalDrive7" -> 7 with a device directory; "sdh" -> 7 without).
int driveNumberOfEntry(const std::string& entryName);

// Opens drive N; null when it is absent or cannot be opened with that access and share mode.
// On failure errno tells why: ENOENT absent, EBUSY refused by the share mode of another handle of
// this process, EACCES no permission, ENODEV neither a file nor a block device.
std::unique_ptr<Drive> openDrive(int number, Access access, unsigned share);
// Opens a drive file or block device by path, with the same rules.
std::unique_ptr<Drive> openDrivePath(const std::string& path, Access access, unsigned share);
// A drive held in memory (parsers run on it in tests and fuzzers); the same sector rule.
std::unique_ptr<Drive> makeMemoryDrive(std::vector<uint8_t> bytes);

// Test hook: makes reads or writes that touch the given sectors of drive N fail with -1 (the whole
// request fails, as a disk's does). Applies to handles opened after the call. The same lists can be
// given to other processes by a file "<device dir>/PhysicalDrive<N>.faults" whose lines read
// "read <first sector> <sector count>" or "write <first sector> <sector count>".
struct SectorRange {
    uint64_t first = 0;
    uint64_t count = 0;
};
enum class FaultKind { Read, Write };
void setDriveFaults(int number, FaultKind kind, std::vector<SectorRange> ranges);
void clearDriveFaults(int number);

}  // namespace platform
