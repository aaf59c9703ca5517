// Lists a directory through TQHD_OpenFindFileByRName + TQHD_GetFindFile and prints the entry
// count, the time of the first listing in this process (the directory read from the drive
// through the library) and the best time of the later ones. The drive scan at start is not
// timed: the disk lookup waits for it before the clock starts.
//   list_dir_bench DEVICE_DIR RNAME [REPEATS]   ->   "<entries> <first seconds> <best later seconds>"
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "device_dir_restart.h"
#include "tqhd.h"

namespace {

// Opens, lists and closes the directory; returns the number of entries, or -1.
long listOnce(const char* rname) {
    TQHD_HANDLE directory = TQHD_OpenFindFileByRName(rname);
    if (directory == nullptr) return -1;
    TQHD_FIND_DATA first{};
    long entries = -1;
    if (TQHD_GetFindFile(directory, &first) == TQHD_OK) {
        entries = 0;
        for (const TQHD_FIND_DATA* record = &first; record != nullptr; record = record->pNext) ++entries;
    }
    TQHD_CloseHandle(directory);
    return entries;
}

double timeListing(const char* rname, long& entries) {
    const auto start = std::chrono::steady_clock::now();
    entries = listOnce(rname);
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DEVICE_DIR RNAME [REPEATS]\n", argv[0]);
        return 2;
    }
    bench::restartWithDeviceDirectory(argv[1], argv);
    const int repeats = argc > 3 ? std::atoi(argv[3]) : 20;
    if (TQHD_OpenHardDiskByRName(argv[2]) == nullptr) {  // waits for the first scan
        std::fprintf(stderr, "no listed disk for %s\n", argv[2]);
        return 1;
    }
    long entries = 0;
    const double first = timeListing(argv[2], entries);
    double best = 1e30;
    for (int pass = 0; pass < repeats && entries >= 0; ++pass) {
        long again = 0;
        best = std::min(best, timeListing(argv[2], again));
        if (again != entries) entries = -1;
    }
    if (entries < 0) {
        std::fprintf(stderr, "cannot list %s\n", argv[2]);
        return 1;
    }
    std::printf("%ld %.6f %.6f\n", entries, first, best);
    return 0;
}
