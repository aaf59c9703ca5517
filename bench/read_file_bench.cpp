// Reads a file ("/N/V/path"), a whole drive ("/N/") or, with "recording", the recording of an
// index file through TQHD_ReadFile in 1 MiB reads, several times, and prints the bytes and the
// best time of one complete read. The library's drive scan at start is not timed: the open waits
// for it before the clock starts.
//   read_file_bench DEVICE_DIR RNAME [REPEATS [recording]]   ->   "<bytes> <best seconds> <MiB/s>"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "device_dir_restart.h"
#include "tqhd.h"

namespace {

constexpr int64_t pieceBytes = 1 << 20;

// One pass from the start; returns the bytes read, or -1 on a failure.
int64_t readOnce(TQHD_HANDLE file, int64_t length, std::vector<char>& buffer) {
    if (TQHD_SeekFile(file, 0, 0) != TQHD_OK) return -1;
    int64_t done = 0;
    while (done < length) {
        // Whole-drive reads must be whole sectors; a drive's length is a multiple of 512.
        const int64_t piece = std::min(pieceBytes, length - done) / 512 * 512;
        const int32_t got = TQHD_ReadFile(file, buffer.data(), static_cast<int32_t>(piece > 0 ? piece : 512));
        if (got < 0) return -1;
        if (got == 0) break;
        done += got;
    }
    return done;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DEVICE_DIR RNAME [REPEATS [recording]]\n", argv[0]);
        return 2;
    }
    bench::restartWithDeviceDirectory(argv[1], argv);
    const int repeats = argc > 3 ? std::atoi(argv[3]) : 5;
    const bool recording = argc > 4 && std::string(argv[4]) == "recording";
    TQHD_HANDLE file = recording ? TQHD_OpenAVFileByRName(argv[2]) : TQHD_OpenFileByRName(argv[2]);
    if (file == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", argv[2]);
        return 1;
    }
    const int64_t length = TQHD_GetFileLength(file);
    std::vector<char> buffer(pieceBytes);
    double best = 1e30;
    for (int pass = 0; pass < repeats; ++pass) {
        const auto start = std::chrono::steady_clock::now();
        const int64_t done = readOnce(file, length, buffer);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (done != length) {
            std::fprintf(stderr, "read %lld of %lld bytes\n", static_cast<long long>(done), static_cast<long long>(length));
            return 1;
        }
        best = std::min(best, seconds);
    }
    TQHD_CloseHandle(file);
    std::printf("%lld %.6f %.1f\n", static_cast<long long>(length), best, double(length) / (1 << 20) / best);
    return 0;
}
