// Builds the disk for the recording benchmark: one 512 MiB recording whose units lie in runs of
// 512 (32 MiB) placed out of order with gaps ("runs.nvr"), and a second index over the same
// units in shuffled order, so that no two logical neighbours lie side by side ("scattered.nvr").
// Also writes a 1 MiB index file for the parser benchmark.
//   make_bench_recording DEVICE_DIR INDEX_FILE  ->  "<raw area offset> <payload bytes>"
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <numeric>
#include <random>

#include "recording_builder.h"

namespace {

constexpr uint32_t kUnits = 8192;  // 512 MiB
constexpr uint32_t kRun = 512;
constexpr uint32_t kGap = 7;

nvrtest::RecordingPlan runsRecording() {
    nvrtest::RecordingPlan recording;
    recording.indexPath = "runs.nvr";
    recording.begin = {26, 3, 11, 9, 0, 0};
    recording.end = {26, 3, 11, 10, 0, 0};
    recording.payloadLength = uint64_t{kUnits} * nvrtest::kRawUnitSize;
    std::vector<uint32_t> runOrder(kUnits / kRun);
    std::iota(runOrder.begin(), runOrder.end(), 0);
    std::shuffle(runOrder.begin(), runOrder.end(), std::mt19937_64(5));
    for (uint32_t run : runOrder)
        for (uint32_t unit = 0; unit < kRun; ++unit) recording.dataUnits.push_back(run * (kRun + kGap) + unit);
    return recording;
}

nvrtest::RecordingPlan scatteredRecording(nvrtest::RecordingPlan recording) {
    recording.indexPath = "scattered.nvr";
    std::shuffle(recording.dataUnits.begin(), recording.dataUnits.end(), std::mt19937_64(9));
    return recording;
}

// About 1 MiB of mode-1 records with twenty frames each, and garbage between some of them.
std::vector<uint8_t> largeIndexFile() {
    nvrtest::IndexFilePlan plan;
    for (uint32_t record = 0; plan.records.size() * 356 < (1u << 20); ++record) {
        nvrtest::BlockRecordPlan block;
        block.unit = record;
        block.keyFlag = 1;
        block.externMode = 1;
        for (uint16_t frame = 0; frame < 20; ++frame)
            block.frames.push_back({static_cast<uint16_t>(frame * 3000), static_cast<uint8_t>(frame == 0), frame, record});
        if (record % 50 == 7) block.bytesBefore.assign(13, 0x5A);
        plan.records.push_back(block);
    }
    return nvrtest::encodeIndexFile(plan);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s DEVICE_DIR INDEX_FILE\n", argv[0]);
        return 2;
    }
    try {
        const nvrtest::RecordingPlan runs = runsRecording();
        nvrtest::DiskPlan plan = nvrtest::standardNvrDisk(
            {{"scattered.nvr", nvrtest::recordingIndexFile(scatteredRecording(runs)), 0, 0}}, "BENCH-REC");
        plan.partitions[1].sizeBytes = uint64_t{(kUnits / kRun) * (kRun + kGap) + 16} * nvrtest::kRawUnitSize;
        const nvrtest::BuiltDisk built =
            nvrtest::addRecordingDisk(nvrtest::DeviceDirectory(argv[1]), 1, plan, {runs});
        const std::vector<uint8_t> index = largeIndexFile();
        std::ofstream(argv[2], std::ios::binary).write(reinterpret_cast<const char*>(index.data()),
                                                       static_cast<std::streamsize>(index.size()));
        std::printf("%llu %llu\n", static_cast<unsigned long long>(built.partitions[1].firstSector * 512),
                    static_cast<unsigned long long>(runs.payloadLength));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
