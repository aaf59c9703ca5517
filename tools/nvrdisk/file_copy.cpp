// The read-and-write loop shared by `cat` and `dump`.
#include "file_copy.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#include <vector>

#include "command_error.h"
#include "progress_bar.h"
#include "rname.h"

namespace nvrdisk {
namespace {

constexpr uint64_t pieceBytes = 1 << 20;
constexpr uint64_t sectorBytes = 512;

// Files are read until the library reports the end; a drive is read by sector counts because
// the drive layer refuses reads that are not whole sectors.
uint64_t nextPieceLength(const ReadSource& source, uint64_t done) {
    if (!source.wholeDrive) return pieceBytes;
    const uint64_t remaining = source.length > done ? source.length - done : 0;
    return std::min(pieceBytes, remaining) / sectorBytes * sectorBytes;
}

void writeAll(int descriptor, const uint8_t* bytes, size_t count) {
    while (count > 0) {
        const ssize_t written = write(descriptor, bytes, count);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) throw CommandError(std::string("cannot write the output: ") + std::strerror(errno));
        bytes += written;
        count -= static_cast<size_t>(written);
    }
}

[[noreturn]] void throwReadFailure(int32_t result, uint64_t position) {
    const std::string where = " at byte " + std::to_string(position);
    if (result == -2) throw CommandError("the disk is being formatted; reading stopped" + where, TQHD_E_FORMATTING);
    throw CommandError("reading failed" + where, TQHD_E_READ);
}

}  // namespace

ReadSource openSource(const std::string& rname) {
    ReadSource source;
    source.wholeDrive = isDrivePrefix(rname);
    source.handle = LibraryHandle(TQHDC_OpenFileByRName(rname.c_str()));
    // The library answers an RName it cannot resolve with a null handle; its code for that case
    // is TQHD_E_PARAM.
    if (!source.handle)
        throw CommandError(source.wholeDrive ? "drive " + rname + " is not a listed NVR disk (see nvrdisk list)"
                                             : "no file " + rname + " on a listed NVR disk",
                           TQHD_E_PARAM);
    const int64_t length = TQHDC_GetFileLength(source.handle.get());
    if (length < 0) throw CommandError("cannot learn the length of " + rname, TQHD_E_READ);
    source.length = static_cast<uint64_t>(length);
    return source;
}

uint64_t copyToDescriptor(const ReadSource& source, int outputDescriptor, ProgressBar& progress) {
    std::vector<uint8_t> buffer(pieceBytes);
    uint64_t done = 0;
    for (uint64_t piece = nextPieceLength(source, done); piece > 0; piece = nextPieceLength(source, done)) {
        const int32_t got = TQHDC_ReadFile(source.handle.get(), buffer.data(), static_cast<int32_t>(piece));
        if (got < 0) throwReadFailure(got, done);
        if (got == 0) break;
        writeAll(outputDescriptor, buffer.data(), static_cast<size_t>(got));
        done += static_cast<uint64_t>(got);
        progress.update(done);
    }
    progress.finish(done);
    if (source.wholeDrive && done < source.length)
        std::fprintf(stderr, "nvrdisk: the last %llu bytes are not a whole sector and were not read\n",
                     static_cast<unsigned long long>(source.length - done));
    return done;
}

OutputFile::OutputFile(const std::string& path) : descriptor_(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644)) {
    if (descriptor_ < 0) throw CommandError("cannot create " + path + ": " + std::strerror(errno));
}

OutputFile::~OutputFile() {
    if (descriptor_ >= 0) close(descriptor_);
}

void OutputFile::finish(const std::string& path) {
    const int result = close(std::exchange(descriptor_, -1));
    if (result != 0) throw CommandError("cannot finish writing " + path + ": " + std::strerror(errno));
}

}  // namespace nvrdisk
