// Reads a recording ("/N/V/path.nvr") through TQHD_ReadFile in 1 MiB reads, as `nvrdisk export`
// does, several times, and prints the stream's bytes and the best time of one complete read.
//   export_recording_bench DEVICE_DIR RNAME [REPEATS]   ->   "<bytes> <best seconds> <MiB/s>"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "device_dir_restart.h"
#include "tqhd.h"

namespace {

constexpr int32_t kPiece = 1 << 20;

int64_t readOnce(TQHD_HANDLE recording, std::vector<char>& buffer) {
    if (TQHD_SeekFile(recording, 0, 0) != TQHD_OK) return -1;
    int64_t done = 0;
    for (int32_t got; (got = TQHD_ReadFile(recording, buffer.data(), kPiece)) > 0;) done += got;
    return done;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DEVICE_DIR RNAME [REPEATS]\n", argv[0]);
        return 2;
    }
    bench::restartWithDeviceDirectory(argv[1], argv);
    const int repeats = argc > 3 ? std::atoi(argv[3]) : 3;
    TQHD_HANDLE recording = TQHD_OpenAVFileByRName(argv[2]);
    if (recording == nullptr) {
        std::fprintf(stderr, "cannot open the recording %s\n", argv[2]);
        return 1;
    }
    const int64_t length = TQHD_GetFileLength(recording);
    std::vector<char> buffer(kPiece);
    double best = 1e30;
    for (int pass = 0; pass < repeats; ++pass) {
        const auto start = std::chrono::steady_clock::now();
        const int64_t done = readOnce(recording, buffer);
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        if (done != length) {
            std::fprintf(stderr, "read %lld of %lld bytes\n", static_cast<long long>(done), static_cast<long long>(length));
            return 1;
        }
    }
    TQHD_CloseHandle(recording);
    std::printf("%lld %.6f %.1f\n", static_cast<long long>(length), best, double(length) / (1 << 20) / best);
    return 0;
}
