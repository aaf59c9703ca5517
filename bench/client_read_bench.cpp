// Reads a file ("/N/V/path") or, with "recording", a recording through TQHDC_ReadFile in 1 MiB
// reads, several times, and prints the bytes and the best time of one complete read. Whether the
// reads run directly or through the service is the client library's choice for this process
// (drive 0 of $NVRDISK_DEVICE_DIR opens or not); with "cold" the page cache is dropped before
// each pass (exit status 3 when that is not permitted).
//   client_read_bench RNAME REPEATS [recording] [cold]   ->   "<bytes> <best seconds> <MiB/s>"
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tqhdc.h"

namespace {

constexpr int32_t kPieceBytes = 1 << 20;

bool dropPageCache() {
    sync();
    std::ofstream control("/proc/sys/vm/drop_caches");
    control << "3\n";
    control.flush();
    return static_cast<bool>(control);
}

// One pass from the start; the bytes read, or -1 on a failure.
int64_t readOnce(TQHDC_HANDLE file, std::vector<char>& buffer) {
    if (TQHDC_SeekFile(file, 0, 0) != TQHD_OK) return -1;
    int64_t done = 0;
    for (;;) {
        const int32_t got = TQHDC_ReadFile(file, buffer.data(), kPieceBytes);
        if (got < 0) return -1;
        if (got == 0) return done;
        done += got;
    }
}

bool hasWord(int argc, char** argv, const std::string& word) {
    for (int index = 3; index < argc; ++index)
        if (word == argv[index]) return true;
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s RNAME REPEATS [recording] [cold]\n", argv[0]);
        return 2;
    }
    const int repeats = std::max(1, std::atoi(argv[2]));
    const bool cold = hasWord(argc, argv, "cold");
    TQHDC_HANDLE file = hasWord(argc, argv, "recording") ? TQHDC_OpenAVFileByRName(argv[1]) : TQHDC_OpenFileByRName(argv[1]);
    if (file == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", argv[1]);
        return 1;
    }
    const int64_t length = TQHDC_GetFileLength(file);
    std::vector<char> buffer(kPieceBytes);
    double best = 1e30;
    for (int pass = 0; pass < repeats; ++pass) {
        if (cold && !dropPageCache()) return 3;
        const auto start = std::chrono::steady_clock::now();
        const int64_t done = readOnce(file, buffer);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (done != length) {
            std::fprintf(stderr, "read %lld of %lld bytes\n", static_cast<long long>(done), static_cast<long long>(length));
            return 1;
        }
        best = std::min(best, seconds);
    }
    TQHDC_CloseHandle(file);
    std::printf("%lld %.6f %.1f\n", static_cast<long long>(length), best, double(length) / (1 << 20) / best);
    return 0;
}
