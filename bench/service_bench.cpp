// Benchmarks of the disk service (run by service_run.sh, which starts halvex):
//   service_bench make DEVICE_DIR            builds drive 1: /big.bin (256 MiB), /load/file00..31 (4 MiB each)
//   service_bench read DEVICE_DIR ROUNDS [cold]
//       /big.bin in 1 MiB requests through the service and directly through the library, in
//       alternating rounds; prints the best MiB/s of each and their ratio (service / direct)
//   service_bench load DEVICE_DIR SECONDS CLIENTS SERVICE_PID
//       CLIENTS connections at once, each listing /load/ and reading its own file, checking every
//       byte, for SECONDS; prints errors, aggregate MiB/s and the service's RSS before and after
//   service_bench setup COUNT               connection set-ups (both hellos and the section): median
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "device_dir_restart.h"
#include "disk_image_builder.h"
#include "service_client.h"
#include "tqhd.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint64_t kBigFileBytes = 256ull << 20;
constexpr uint64_t kLoadFileBytes = 4ull << 20;
constexpr int kLoadFiles = 32;
constexpr uint32_t kRequestBytes = 1u << 20;
constexpr uint64_t kBigSeed = 7;

protocol::Request onHandle(uint8_t code, uint32_t handle, uint32_t number = 0) {
    protocol::Request request;
    request.code = code;
    request.handle = handle;
    request.number = number;
    return request;
}

double secondsSince(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }
double mibPerSecond(uint64_t bytes, double seconds) { return static_cast<double>(bytes) / (1 << 20) / seconds; }

std::string loadFileName(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "load/file%02d", index);
    return name;
}

int makeDisk(const char* deviceDirectory) {
    std::vector<nvrtest::TreeEntry> tree = {nvrtest::TreeEntry::pattern("big.bin", kBigFileBytes, kBigSeed),
                                            nvrtest::TreeEntry::directory("load/")};
    for (int index = 0; index < kLoadFiles; ++index) {
        tree.push_back(nvrtest::TreeEntry::pattern(loadFileName(index), kLoadFileBytes, 100 + index));
    }
    nvrtest::DiskPlan plan = nvrtest::standardNvrDisk(std::move(tree), "BENCH-SERVICE", 4096);
    plan.partitions[0].sizeBytes = 448ull << 20;
    nvrtest::DeviceDirectory(deviceDirectory).addDisk(1, plan);
    return 0;
}

// Drops the page cache; false when not permitted (cold runs are then skipped).
bool dropCaches() {
    sync();
    std::ofstream control("/proc/sys/vm/drop_caches");
    control << "3\n";
    control.flush();
    return control.good();
}

// Reads the whole file through the library in 1 MiB reads; the bytes read.
uint64_t readDirect(std::vector<uint8_t>& buffer) {
    TQHD_HANDLE file = TQHD_OpenFileByRName("/1/0/big.bin");
    uint64_t total = 0;
    for (int32_t got; (got = TQHD_ReadFile(file, buffer.data(), kRequestBytes)) > 0;) total += static_cast<uint64_t>(got);
    TQHD_CloseHandle(file);
    return total;
}

// The same through the service; the bytes read, 0 on a failure.
uint64_t readThroughService(bench::ServiceClient& client, std::vector<uint8_t>& buffer) {
    protocol::Request open;
    open.code = protocol::kOpenFileByRName;
    open.text = "/1/0/big.bin";
    const auto opened = client.call(open);
    if (!opened || opened->value == 0) return 0;
    protocol::Request read;
    read.code = protocol::kReadFile;
    read.handle = opened->value;
    read.number = kRequestBytes;
    uint64_t total = 0;
    for (;;) {
        const auto reply = client.call(read);
        if (!reply) return 0;
        const auto got = static_cast<int32_t>(reply->value);
        if (got <= 0) break;
        if (!client.receive(buffer.data(), static_cast<size_t>(got))) return 0;
        total += static_cast<uint64_t>(got);
    }
    protocol::Request close;
    close.code = protocol::kCloseHandle;
    close.handle = opened->value;
    client.call(close);
    return total;
}

int readBenchmark(int rounds, bool cold) {
    if (cold && !dropCaches()) {
        std::printf("read cold: skipped (dropping the page cache is not permitted)\n");
        return 0;
    }
    bench::ServiceClient client;
    if (!client.connect()) return std::fprintf(stderr, "cannot connect to the service\n"), 1;
    std::vector<uint8_t> buffer(kRequestBytes);
    double bestDirect = 0, bestService = 0;
    for (int round = 0; round < rounds; ++round) {
        if (cold) dropCaches();
        auto start = Clock::now();
        const uint64_t direct = readDirect(buffer);
        bestDirect = std::max(bestDirect, mibPerSecond(direct, secondsSince(start)));
        if (cold) dropCaches();
        start = Clock::now();
        const uint64_t served = readThroughService(client, buffer);
        bestService = std::max(bestService, mibPerSecond(served, secondsSince(start)));
        if (direct != kBigFileBytes || served != kBigFileBytes) return std::fprintf(stderr, "short read\n"), 1;
    }
    std::printf("read %s: direct %.0f MiB/s, service %.0f MiB/s, ratio %.2f\n", cold ? "cold" : "warm", bestDirect,
                bestService, bestService / bestDirect);
    return 0;
}

long residentKiB(const std::string& pid) {
    std::ifstream status("/proc/" + pid + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

struct LoadTotals {
    std::atomic<uint64_t> bytes{0};
    std::atomic<uint64_t> rounds{0};
    std::atomic<uint64_t> errors{0};
};

// One client's rounds: list /load/, read its own file whole and compare every byte.
void loadClient(int index, Clock::time_point deadline, LoadTotals& totals) {
    std::vector<uint8_t> expected(kLoadFileBytes), got(kLoadFileBytes);
    nvrtest::fillPattern(100 + static_cast<uint64_t>(index), 0, expected);
    bench::ServiceClient client;
    if (!client.connect()) return void(++totals.errors);
    protocol::Request list;
    list.code = protocol::kOpenFindFileByRName;
    list.text = "/1/0/load/";
    protocol::Request open;
    open.code = protocol::kOpenFileByRName;
    open.text = "/1/0/" + loadFileName(index);
    while (Clock::now() < deadline) {
        const auto directory = client.call(list);
        const auto listing = directory ? client.call(onHandle(protocol::kGetFindFile, directory->value)) : std::nullopt;
        std::vector<uint8_t> records(listing ? listing->extra : 0);
        if (!listing || listing->value != kLoadFiles || !client.receive(records.data(), records.size())) ++totals.errors;
        client.call(onHandle(protocol::kCloseHandle, directory ? directory->value : 0));
        const auto file = client.call(open);
        uint64_t offset = 0;
        for (std::optional<protocol::Reply> reply; file && offset < kLoadFileBytes; offset += reply->value) {
            reply = client.call(onHandle(protocol::kReadFile, file->value, kRequestBytes));
            // A reply longer than the request or the rest of the file is an error, and must not
            // run past the buffer.
            if (!reply || reply->value == 0 || reply->value > kRequestBytes || reply->value > kLoadFileBytes - offset ||
                !client.receive(got.data() + offset, reply->value)) {
                break;
            }
        }
        client.call(onHandle(protocol::kCloseHandle, file ? file->value : 0));
        if (offset != kLoadFileBytes || got != expected) ++totals.errors;
        totals.bytes += offset;
        ++totals.rounds;
    }
}

int loadBenchmark(int seconds, int clients, const std::string& pid) {
    const long before = residentKiB(pid);
    LoadTotals totals;
    const auto start = Clock::now();
    const auto deadline = start + std::chrono::seconds(seconds);
    std::vector<std::thread> threads;
    for (int index = 0; index < clients; ++index) {
        threads.emplace_back(loadClient, index % kLoadFiles, deadline, std::ref(totals));
    }
    for (auto& thread : threads) thread.join();
    const double elapsed = secondsSince(start);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // sessions end after their clients
    std::printf("load: %d clients for %.0f s, %llu rounds, %llu errors, %.0f MiB/s together, service RSS %ld KiB before, "
                "%ld KiB after\n",
                clients, elapsed, static_cast<unsigned long long>(totals.rounds.load()),
                static_cast<unsigned long long>(totals.errors.load()), mibPerSecond(totals.bytes, elapsed), before,
                residentKiB(pid));
    return totals.errors == 0 ? 0 : 1;
}

int setupBenchmark(int count) {
    std::vector<double> milliseconds;
    for (int index = 0; index < count; ++index) {
        const auto start = Clock::now();
        bench::ServiceClient client;
        if (!client.connect()) return std::fprintf(stderr, "connection %d failed\n", index), 1;
        milliseconds.push_back(secondsSince(start) * 1000);
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    std::printf("setup: %d connections, median %.3f ms, 90th percentile %.3f ms, slowest %.3f ms\n", count,
                milliseconds[milliseconds.size() / 2], milliseconds[milliseconds.size() * 9 / 10], milliseconds.back());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "make" && argc == 3) return makeDisk(argv[2]);
    if (mode == "setup" && argc == 3) return setupBenchmark(std::stoi(argv[2]));
    if ((mode == "read" && (argc == 4 || argc == 5)) || (mode == "load" && argc == 6)) {
        bench::restartWithDeviceDirectory(argv[2], argv);
        if (mode == "read") return readBenchmark(std::stoi(argv[3]), argc == 5 && std::string(argv[4]) == "cold");
        return loadBenchmark(std::stoi(argv[3]), std::stoi(argv[4]), argv[5]);
    }
    std::fprintf(stderr, "usage: see the head of bench/service_bench.cpp\n");
    return 2;
}
