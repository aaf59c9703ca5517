// Drives backed by an image file or a block device: whole-sector pread/pwrite straight into the
// caller's buffer, with the share table and the fault lists checked around them.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <vector>

#include "batched_reads.h"
#include "drive_faults.h"
#include "drive_paths.h"
#include "drive_rules.h"
#include "platform/drive.h"
#include "share_table.h"
#include "unique_fd.h"

namespace platform {
namespace {

// The most one pread/pwrite moves on Linux; larger requests take several calls.
constexpr size_t kMaximumTransfer = 0x7ffff000;

struct OpenedFile {
    UniqueFd fd;
    int64_t length = -1;
    ShareKey key;
};

class FileDrive final : public Drive {
public:
    FileDrive(OpenedFile file, Access access, std::unique_ptr<ShareLease> lease, FaultPlan faults)
        : file_(std::move(file)), access_(access), lease_(std::move(lease)), faults_(std::move(faults)) {}

    int64_t readAt(uint64_t offset, void* buffer, size_t count) override {
        if (!wholeSectors(offset, count)) return failWith(EINVAL);
        if (!faults_.read.empty() && requestTouches(faults_.read, offset, count)) return failWith(EIO);
        const uint64_t length = static_cast<uint64_t>(file_.length);
        if (offset >= length || count == 0) return 0;
        char* bytes = static_cast<char*>(buffer);
        return transfer(std::min<uint64_t>(count, length - offset), [&](uint64_t done, size_t step) {
            return ::pread(file_.fd.get(), bytes + done, step, static_cast<off_t>(offset + done));
        });
    }

    // The whole batch goes to the kernel at once; a piece it did not read whole (the drive's end,
    // an interrupted read) is read again through readAt, which retries and reports the end.
    size_t readPieces(std::span<const ReadPiece> pieces) override {
        if (pieces.size() < 2 || !batchable(pieces)) return Drive::readPieces(pieces);
        std::vector<int64_t> results(pieces.size());
        if (!batch_.read(file_.fd.get(), pieces, results)) return Drive::readPieces(pieces);
        size_t whole = 0;
        for (const ReadPiece& piece : pieces) {
            const bool read = results[whole] == static_cast<int64_t>(piece.count) ||
                              readAt(piece.offset, piece.buffer, piece.count) == static_cast<int64_t>(piece.count);
            if (!read) break;
            ++whole;
        }
        return whole;
    }

    int64_t writeAt(uint64_t offset, const void* buffer, size_t count) override {
        if (access_ != Access::ReadWrite) return failWith(EBADF);
        if (!wholeSectors(offset, count)) return failWith(EINVAL);
        if (!faults_.write.empty() && requestTouches(faults_.write, offset, count)) return failWith(EIO);
        const uint64_t length = static_cast<uint64_t>(file_.length);
        if (offset > length || count > length - offset) return failWith(ENOSPC);
        if (count == 0) return 0;
        const char* bytes = static_cast<const char*>(buffer);
        const int64_t written = transfer(count, [&](uint64_t done, size_t step) {
            return ::pwrite(file_.fd.get(), bytes + done, step, static_cast<off_t>(offset + done));
        });
        if (written < 0) return -1;
        return written == static_cast<int64_t>(count) ? written : failWith(EIO);
    }

    int64_t length() override { return file_.length; }

    bool flush() override { return ::fdatasync(file_.fd.get()) == 0; }

private:
    // Pieces the kernel may read as they stand: whole sectors, no test fault on them, and no
    // longer than one read moves.
    bool batchable(std::span<const ReadPiece> pieces) const {
        return std::all_of(pieces.begin(), pieces.end(), [this](const ReadPiece& piece) {
            return wholeSectors(piece.offset, piece.count) && piece.count <= kMaximumTransfer &&
                   (faults_.read.empty() || !requestTouches(faults_.read, piece.offset, piece.count));
        });
    }

    static int64_t failWith(int error) {
        errno = error;
        return -1;
    }

    // Moves `count` bytes through `call(done, step)` (one pread or pwrite), retrying interrupted
    // and partial transfers; stops early when the call reports the end of the file.
    template <typename Call>
    static int64_t transfer(uint64_t count, Call call) {
        uint64_t done = 0;
        while (done < count) {
            const size_t step = static_cast<size_t>(std::min<uint64_t>(count - done, kMaximumTransfer));
            const ssize_t moved = call(done, step);
            if (moved < 0 && errno == EINTR) continue;
            if (moved < 0) return -1;
            if (moved == 0) break;
            done += static_cast<uint64_t>(moved);
        }
        return static_cast<int64_t>(done);
    }

    OpenedFile file_;
    Access access_;
    std::unique_ptr<ShareLease> lease_;
    FaultPlan faults_;
    BatchedReads batch_;
};

int64_t blockDeviceLength(int fd) {
    uint64_t bytes = 0;
    if (::ioctl(fd, BLKGETSIZE64, &bytes) != 0 || bytes > static_cast<uint64_t>(INT64_MAX)) return -1;
    return static_cast<int64_t>(bytes);
}

// Opens a regular file or a block device (following links) and finds its length and identity.
bool openFile(const std::string& path, Access access, OpenedFile& file) {
    const int flags = (access == Access::ReadWrite ? O_RDWR : O_RDONLY) | O_CLOEXEC;
    file.fd.reset(::open(path.c_str(), flags));
    struct stat status {};
    if (!file.fd.valid() || ::fstat(file.fd.get(), &status) != 0) return false;
    if (S_ISREG(status.st_mode)) {
        file.length = status.st_size;
        file.key = {false, static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
    } else if (S_ISBLK(status.st_mode)) {
        file.length = blockDeviceLength(file.fd.get());
        file.key = {true, static_cast<uint64_t>(status.st_rdev), 0};
    } else {
        errno = ENODEV;
        return false;
    }
    return file.length >= 0;
}

unsigned accessMask(Access access) { return access == Access::ReadWrite ? kShareRead | kShareWrite : kShareRead; }

std::unique_ptr<Drive> openWithFaults(const std::string& path, Access access, unsigned share, int number) {
    if (path.empty()) {
        errno = ENOENT;
        return nullptr;
    }
    OpenedFile file;
    if (!openFile(path, access, file)) return nullptr;
    auto lease = acquireShare(file.key, accessMask(access), share & (kShareRead | kShareWrite));
    if (!lease) {
        errno = EBUSY;
        return nullptr;
    }
    FaultPlan faults = number >= 0 ? faultPlanForDrive(number) : FaultPlan{};
    return std::make_unique<FileDrive>(std::move(file), access, std::move(lease), std::move(faults));
}

}  // namespace

std::unique_ptr<Drive> openDrive(int number, Access access, unsigned share) {
    return openWithFaults(drivePath(number), access, share, number);
}

std::unique_ptr<Drive> openDrivePath(const std::string& path, Access access, unsigned share) {
    return openWithFaults(path, access, share, driveNumberOfPath(path));
}

}  // namespace platform
