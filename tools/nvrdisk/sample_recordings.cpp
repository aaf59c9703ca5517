#include "sample_recordings.h"

#include <cstdio>
#include <numeric>

namespace nvrdisk {
namespace {

std::vector<uint32_t> unitRun(uint32_t first, uint32_t count) {
    std::vector<uint32_t> units(count);
    std::iota(units.begin(), units.end(), first);
    return units;
}

std::vector<uint32_t> joined(std::initializer_list<std::vector<uint32_t>> parts) {
    std::vector<uint32_t> units;
    for (const auto& part : parts) units.insert(units.end(), part.begin(), part.end());
    return units;
}

// A recording of about `approximateUnits` units that ends at a frame's end.
nvrtest::RecordingPlan channel(uint8_t number, uint8_t startMinute, uint32_t approximateUnits,
                               nvrtest::IndexStyle style) {
    nvrtest::RecordingPlan recording;
    recording.channel = number;
    recording.seed = 100 + number;
    recording.style = style;
    recording.begin = {26, 3, 11, 8, startMinute, 0};
    recording.end = {26, 3, 11, 8, static_cast<uint8_t>(startMinute + 4), 59};
    recording.payloadLength =
        nvrtest::frameAlignedLength(recording.seed, uint64_t{approximateUnits} * nvrtest::kRawUnitSize);
    char name[64];
    std::snprintf(name, sizeof name, "record/ch%u-20260311-08%02u00.nvr", number, startMinute);
    recording.indexPath = name;
    return recording;
}

uint32_t blocksOf(const nvrtest::RecordingPlan& recording) {
    return static_cast<uint32_t>((recording.payloadLength + nvrtest::kRawUnitSize - 1) / nvrtest::kRawUnitSize);
}

}  // namespace

std::vector<nvrtest::RecordingPlan> sampleRecordings() {
    // Channel 1: long runs with a gap and a run placed before the earlier ones.
    nvrtest::RecordingPlan first = channel(1, 0, 40, nvrtest::IndexStyle::FrameLists);
    first.dataUnits = joined({unitRun(0, 15), unitRun(60, 20), unitRun(20, 5)});
    first.dataUnits.resize(blocksOf(first));
    // Channel 2: two runs, the later one first.
    nvrtest::RecordingPlan second = channel(2, 5, 25, nvrtest::IndexStyle::KeyRecords);
    second.dataUnits = joined({unitRun(150, 10), unitRun(130, 15)});
    second.dataUnits.resize(blocksOf(second));
    // Channel 3: every unit in a different place, and garbage between some records.
    nvrtest::RecordingPlan third = channel(3, 10, 13, nvrtest::IndexStyle::Mixed);
    third.dataUnits = nvrtest::scatteredUnits(blocksOf(third), 46, 3);
    for (uint32_t& unit : third.dataUnits) unit += 200;
    third.garbageEvery = 3;
    // Channel 4: a short recording with mode-2 records.
    nvrtest::RecordingPlan fourth = channel(4, 15, 4, nvrtest::IndexStyle::FourFrames);
    fourth.dataUnits = unitRun(30, blocksOf(fourth));
    return {first, second, third, fourth};
}

}  // namespace nvrdisk
