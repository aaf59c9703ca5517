// Writes index files as seeds for the index parser fuzzer: recordings in every index style, and
// files with garbage, rejected records and a cut-off tail.
#include <cstdio>
#include <fstream>
#include <string>

#include "recording_builder.h"

namespace {

nvrtest::RecordingPlan Recording(nvrtest::IndexStyle style, uint64_t seed) {
    nvrtest::RecordingPlan recording;
    recording.indexPath = "seed.nvr";
    recording.begin = {26, 3, 11, 8, 0, 0};
    recording.end = {26, 3, 11, 8, 5, 0};
    recording.payloadLength = 5 * nvrtest::kRawUnitSize + 777;
    recording.dataUnits = nvrtest::scatteredUnits(6, 40, seed);
    recording.style = style;
    recording.seed = seed;
    recording.garbageEvery = 3;
    return recording;
}

void Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    using nvrtest::IndexStyle;
    const IndexStyle styles[] = {IndexStyle::KeyRecords, IndexStyle::FrameLists, IndexStyle::FourFrames,
                                 IndexStyle::OtherMode, IndexStyle::Mixed};
    for (size_t index = 0; index < std::size(styles); ++index) {
        std::vector<uint8_t> bytes = nvrtest::recordingIndexFile(Recording(styles[index], index + 1));
        Write(dir + "/style-" + std::to_string(index) + ".nvr", bytes);
        bytes.resize(bytes.size() - 21);  // a record cut off by the end of the data
        Write(dir + "/cut-" + std::to_string(index) + ".nvr", bytes);
    }
    nvrtest::IndexFilePlan odd;
    odd.records.resize(3);
    odd.records[0].blockOffset = 65537;
    odd.records[1].keyFlag = 1;
    odd.records[1].externMode = 1;
    odd.records[1].frameCount = 65;
    odd.records[2].keyFlag = 1;
    odd.records[2].externMode = 2;
    odd.records[2].frameCount = 64;
    Write(dir + "/rejected.nvr", nvrtest::encodeIndexFile(odd));
    Write(dir + "/header-only.nvr", std::vector<uint8_t>(32, 0));
    return 0;
}
