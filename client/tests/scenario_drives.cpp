#include "scenario_drives.h"

#include <cstdio>
#include <numeric>

#include "disk_image_builder.h"

namespace clienttest {
namespace {

using nvrtest::TreeEntry;

std::vector<TreeEntry> filesTree() {
    std::vector<TreeEntry> tree = {
        TreeEntry::text("hello.txt", "hello from the files drive\n"),
        TreeEntry::directory("data/"),
        TreeEntry::pattern("data/big.bin", kBigFileSize, kBigFileSeed),
        TreeEntry::directory("crowd/"),
    };
    for (int index = 0; index < kCrowdedEntries; ++index) {
        char name[32];
        std::snprintf(name, sizeof name, "crowd/e%04d", index);
        tree.push_back(TreeEntry::text(name, ""));
    }
    return tree;
}

nvrtest::RecordingPlan recording(uint8_t channel, uint32_t firstUnit, uint32_t units) {
    nvrtest::RecordingPlan plan;
    plan.channel = channel;
    plan.seed = 40 + channel;
    plan.begin = {26, 5, 1, 9, 0, 0};
    plan.end = {26, 5, 1, 9, 4, 59};
    plan.payloadLength = nvrtest::frameAlignedLength(plan.seed, uint64_t{units} * nvrtest::kRawUnitSize);
    plan.dataUnits.resize((plan.payloadLength + nvrtest::kRawUnitSize - 1) / nvrtest::kRawUnitSize);
    std::iota(plan.dataUnits.begin(), plan.dataUnits.end(), firstUnit);
    plan.indexPath = "record/ch" + std::to_string(channel) + ".nvr";
    return plan;
}

nvrtest::DiskPlan smallDisk(const std::string& name) {
    nvrtest::DiskPlan plan = nvrtest::standardNvrDisk({TreeEntry::text("note.txt", name + "\n")}, name);
    plan.partitions[0].sizeBytes = 2 << 20;
    plan.partitions[1].sizeBytes = 1 << 20;
    return plan;
}

}  // namespace

std::vector<nvrtest::RecordingPlan> scenarioRecordings() { return {recording(1, 0, 20), recording(2, 30, 3)}; }

std::string filesRName(const std::string& path) { return "/" + std::to_string(kFilesDrive) + "/0/" + path; }

void buildScenarioDrives(const std::string& directory) {
    const nvrtest::DeviceDirectory devices(directory);
    nvrtest::DiskPlan files = nvrtest::standardNvrDisk(filesTree(), kFilesDiskName);
    nvrtest::addRecordingDisk(devices, kFilesDrive, files, scenarioRecordings());
    devices.addDisk(2, smallDisk("CLIENT-SMALL-A"));
    devices.addDisk(3, smallDisk("CLIENT-SMALL-B"));
    devices.addDisk(kFormatDrive, nvrtest::standardNvrDisk({TreeEntry::text("old.txt", "old\n")}, "CLIENT-FORMAT"));
    nvrtest::DiskPlan source = smallDisk("CLIENT-COPY");
    source.partitions[1].sizeBytes = 40 << 20;  // five chunks of the copy
    source.partitions[1].kind = nvrtest::PartitionKind::Pattern;
    devices.addDisk(kCopySource, source);
    devices.addBlank(kCopyTarget, 48 << 20);
}

}  // namespace clienttest
