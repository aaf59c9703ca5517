// Formats drive N of a device directory through the disk library and prints what it cost inside
// the library: "<seconds> <written bytes>", timed from TQHD_FormatHDDByRName to the done event
// (the format flushes the drive before it reports done), bytes from this process's write calls.
//   format_bench DIR N
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "device_dir_restart.h"
#include "tqhd.h"

namespace {

std::atomic<bool> finished{false};
std::atomic<int32_t> outcome{0};

void onEvent(uint32_t, TQHD_EVENT* event) {
    if (event->lCode != TQHD_EVENT_FORMAT_DONE) return;
    outcome = event->lValue;
    finished = true;
}

unsigned long long writtenBytes() {
    std::ifstream io("/proc/self/io");
    std::string name;
    unsigned long long value = 0;
    while (io >> name >> value)
        if (name == "wchar:") return value;
    return 0;
}

int format(int drive) {
    const std::string prefix = "/" + std::to_string(drive) + "/";
    TQHD_HANDLE disk = TQHD_OpenHardDiskByRName(prefix.c_str());
    if (disk == nullptr) {
        std::fprintf(stderr, "drive %d is not a listed NVR disk\n", drive);
        return 1;
    }
    TQHD_RegistIntCallBack(disk, 0, onEvent);
    char users[1024] = {};
    int32_t result = 1;
    const unsigned long long writtenBefore = writtenBytes();
    const auto start = std::chrono::steady_clock::now();
    TQHD_FormatHDDByRName(prefix.c_str(), &result, 0, users, sizeof users);
    if (result != TQHD_OK) {
        std::fprintf(stderr, "the format did not start: 0x%X %s\n", static_cast<unsigned>(result), users);
        return 1;
    }
    while (!finished) std::this_thread::sleep_for(std::chrono::microseconds(200));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (outcome != TQHD_OK) {
        std::fprintf(stderr, "the format failed: 0x%X\n", static_cast<unsigned>(outcome.load()));
        return 1;
    }
    std::printf("%.6f %llu\n", seconds, writtenBytes() - writtenBefore);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DIR N\n", argv[0]);
        return 2;
    }
    bench::restartWithDeviceDirectory(argv[1], argv);
    return format(std::atoi(argv[2]));
}
