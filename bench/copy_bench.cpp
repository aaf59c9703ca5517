// The whole-drive copy benchmark's two halves:
//   copy_bench make DIR BYTES        builds DIR/PhysicalDrive1, an NVR disk of BYTES bytes whose
//                                    space after a small ext2 volume is pattern data
//   copy_bench copy DIR SRC DST      copies drive SRC onto drive DST with TQHD_DiskCopy and prints
//                                    "<bytes> <seconds>", timed from the call to the done event
//                                    (the copy flushes the target before it reports done)
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "device_dir_restart.h"
#include "disk_image_builder.h"
#include "tqhd.h"

namespace {

std::atomic<bool> finished{false};
std::atomic<int32_t> outcome{0};

void onEvent(uint32_t, TQHD_EVENT* event) {
    if (event->lCode == TQHD_EVENT_COPY_DONE) {
        outcome = event->lValue;
        finished = true;
    } else if ((event->lValue & 0x4000000) != 0) {
        event->lValue = 0;  // an old resume record: copy everything again
    }
}

int makeSource(const std::string& directory, uint64_t bytes) {
    nvrtest::PartitionPlan volume;
    volume.sizeBytes = 16 << 20;
    volume.ext2.tree = {nvrtest::TreeEntry::text("bench.txt", "copy benchmark")};
    nvrtest::PartitionPlan data;
    data.kind = nvrtest::PartitionKind::Pattern;
    data.patternSeed = 77;
    data.sizeBytes = bytes - (17 << 20);
    nvrtest::DiskPlan plan;
    plan.partitions = {volume, data};
    const auto built = nvrtest::DeviceDirectory(directory).addDisk(1, plan);
    std::printf("%llu\n", static_cast<unsigned long long>(built.sizeBytes));
    return 0;
}

int copy(int source, int target) {
    // The copy runs on the target's disk object when the target is a listed NVR disk (as after
    // an earlier copy), else on the source's: the events come from that object.
    const std::string sourcePrefix = "/" + std::to_string(source) + "/";
    const std::string targetPrefix = "/" + std::to_string(target) + "/";
    TQHD_HANDLE sourceDisk = TQHD_OpenHardDiskByRName(sourcePrefix.c_str());
    TQHD_HANDLE targetDisk = TQHD_OpenHardDiskByRName(targetPrefix.c_str());
    TQHD_HANDLE disk = targetDisk != nullptr ? targetDisk : sourceDisk;
    if (sourceDisk == nullptr) {
        std::fprintf(stderr, "drive %d is not a listed NVR disk\n", source);
        return 1;
    }
    TQHD_RegistIntCallBack(disk, 0, onEvent);
    int32_t result = 1;
    const auto start = std::chrono::steady_clock::now();
    TQHD_DiskCopy(source, target, &result);
    if (result != TQHD_OK) {
        std::fprintf(stderr, "the copy did not start: 0x%X\n", static_cast<unsigned>(result));
        return 1;
    }
    while (!finished) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (outcome != TQHD_OK) {
        std::fprintf(stderr, "the copy failed: 0x%X\n", static_cast<unsigned>(outcome.load()));
        return 1;
    }
    std::printf("%lld %.6f\n", static_cast<long long>(TQHD_GetFileLength(sourceDisk)), seconds);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "make") == 0) return makeSource(argv[2], std::strtoull(argv[3], nullptr, 10));
    if (argc == 5 && std::strcmp(argv[1], "copy") == 0) {
        bench::restartWithDeviceDirectory(argv[2], argv);
        return copy(std::atoi(argv[3]), std::atoi(argv[4]));
    }
    std::fprintf(stderr, "usage: %s make DIR BYTES | copy DIR SRC DST\n", argv[0]);
    return 2;
}
