// Builds NVR disk images for tests, benchmarks and the sample disk: a boot record, ext2 volumes
// made by mke2fs from a directory tree, a raw data area with a disk name, and device directories.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace nvrtest {

// Deterministic bytes: the same seed and offset always give the same byte, so a test can compute
// any expected byte of a generated file without keeping it.
uint8_t patternByte(uint64_t seed, uint64_t offset);
std::vector<uint8_t> patternBytes(uint64_t seed, uint64_t size);
// Fills `out` with the pattern bytes of `seed` from `offset` on (for writing big files in pieces).
void fillPattern(uint64_t seed, uint64_t offset, std::span<uint8_t> out);

// One entry of a volume's tree. Directories end with '/' ("dir/sub/"); files carry content given
// either literally or as `size` pattern bytes of `seed`.
struct TreeEntry {
    std::string path;
    std::vector<uint8_t> content;
    uint64_t size = 0;     // used when content is empty and seed != 0
    uint64_t seed = 0;
    static TreeEntry directory(std::string path) { return {std::move(path), {}, 0, 0}; }
    static TreeEntry text(std::string path, const std::string& body) {
        return {std::move(path), std::vector<uint8_t>(body.begin(), body.end()), 0, 0};
    }
    static TreeEntry pattern(std::string path, uint64_t size, uint64_t seed) { return {std::move(path), {}, size, seed}; }
};

struct Ext2Options {
    uint32_t blockSize = 1024;  // 1024 or 4096 (2048 to test refusal)
    uint32_t inodeSize = 256;
    std::vector<TreeEntry> tree;
    std::vector<std::string> extraOptions;  // further mke2fs arguments, e.g. {"-g", "2048"}
};

enum class PartitionKind {
    Ext2,      // an ext2 volume made by mke2fs -d
    Raw,       // the raw data area: first sector carries the disk name at byte 165
    Blank,     // zeros (no file system)
    Pattern,   // pattern bytes (no file system, not zeros)
};

struct PartitionPlan {
    PartitionKind kind = PartitionKind::Ext2;
    uint64_t sizeBytes = 8 << 20;   // a multiple of 512
    uint8_t type = 0x83;             // MBR type byte; 0 leaves the entry empty
    Ext2Options ext2;
    std::string diskName;            // raw area only; at most 32 bytes are written... or more, to test the cut
    uint64_t patternSeed = 0;        // Pattern only; 0 picks the entry index + 1, so partitions differ
};

struct DiskPlan {
    bool signature = true;           // the 14-character signature text at byte 196, then a 0
    std::string signatureText;       // overrides the signature text when not empty
    uint8_t signatureTerminator = 0; // byte 210
    bool bootMarker = true;          // 0x55 0xAA at byte 510
    uint64_t firstPartitionSector = 2048;
    // Up to four partition entries in entry order. An entry with type 0 is written empty but its
    // space is still laid out.
    std::vector<PartitionPlan> partitions;
    uint64_t trailingBytes = 0;      // space left after the last partition
};

// Where each partition landed in a built image.
struct BuiltPartition {
    uint64_t firstSector = 0;
    uint64_t sectorCount = 0;
};

struct BuiltDisk {
    std::string path;
    uint64_t sizeBytes = 0;
    std::vector<BuiltPartition> partitions;
};

// Builds the image at `path` (sparse where the content is zero). Throws std::runtime_error with
// the tool's output when mke2fs fails.
BuiltDisk buildDiskImage(const DiskPlan& plan, const std::string& path);

// A typical NVR disk: signature, a 1 KiB-block ext2 volume with `tree`, a raw area named `name`.
DiskPlan standardNvrDisk(std::vector<TreeEntry> tree, std::string name, uint32_t blockSize = 1024);

// A fresh directory under $TMPDIR (or /tmp) removed with the object.
class TempDir {
public:
    explicit TempDir(const std::string& prefix = "nvrtest");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A device directory "PhysicalDrive<N>" entries are put into. Entries appear atomically (a
// rename of a finished image or link), so a watcher never sees a half-written drive.
class DeviceDirectory {
public:
    explicit DeviceDirectory(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }
    std::string entryPath(int number) const;
    // Builds an image for drive N directly in place (through a temporary name).
    BuiltDisk addDisk(int number, const DiskPlan& plan) const;
    // Makes drive N a symbolic link to an existing image or device.
    void addLink(int number, const std::string& target) const;
    // A blank drive of the given size (zeros, no boot record).
    void addBlank(int number, uint64_t sizeBytes) const;
    void remove(int number) const;

private:
    std::string path_;
};

}  // namespace nvrtest
