// Builds the shared drives once and starts halvex on them.
#include "service_fixture.h"

#include <cstdio>
#include <csignal>
#include <filesystem>
#include <fstream>

namespace halvextest {
namespace {

using nvrtest::PartitionKind;
using nvrtest::PartitionPlan;
using nvrtest::TreeEntry;

std::vector<TreeEntry> emptyFiles(const std::string& directory, int count) {
    std::vector<TreeEntry> entries = {TreeEntry::directory(directory + "/")};
    char name[32];
    for (int index = 0; index < count; ++index) {
        std::snprintf(name, sizeof name, "/f%04d", index);
        entries.push_back(TreeEntry::text(directory + name, ""));
    }
    return entries;
}

nvrtest::DiskPlan dataDisk() {
    std::vector<TreeEntry> tree = {TreeEntry::pattern("big.bin", kBigFileSize, kBigFileSeed)};
    for (const auto& entry : emptyFiles("d3799", 3799)) tree.push_back(entry);
    for (const auto& entry : emptyFiles("d3800", 3800)) tree.push_back(entry);
    nvrtest::DiskPlan plan = nvrtest::standardNvrDisk(std::move(tree), "SERVICE-DATA");
    plan.partitions[0].ext2.extraOptions = {"-N", "8192"};
    plan.partitions[1].sizeBytes = 1 << 20;
    return plan;
}

// An NVR disk of `total` bytes: a small ext2 volume, then pattern bytes to the end.
nvrtest::DiskPlan copySource(uint64_t total, int number) {
    PartitionPlan volume;
    volume.sizeBytes = 4 << 20;
    volume.ext2.tree = {TreeEntry::text("a.txt", "source " + std::to_string(number))};
    PartitionPlan rest;
    rest.kind = PartitionKind::Pattern;
    rest.patternSeed = 500 + static_cast<uint64_t>(number);
    rest.sizeBytes = total - (5 << 20);
    nvrtest::DiskPlan plan;
    plan.partitions = {volume, rest};
    return plan;
}

// The record a stopped copy leaves in its target's last sector: 0xA5A5, then the offset at 8.
void writeResumeRecord(const std::string& path, uint64_t size, uint64_t offset) {
    std::vector<char> sector(512, 0);
    sector[0] = sector[1] = static_cast<char>(0xA5);
    for (int index = 0; index < 8; ++index) sector[8 + index] = static_cast<char>(offset >> (8 * index));
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekp(static_cast<std::streamoff>(size - 512));
    file.write(sector.data(), 512);
}

// A stopped copy also left the first chunk on the target: the copy compares it (past the boot
// sector) before it asks. The boot sector stays blank, so the target is not listed as an NVR disk
// and the copy's events go to the source's subscribers.
void copyFirstChunk(const std::string& source, const std::string& target) {
    std::vector<char> chunk(kCopyChunk - 512);
    std::ifstream in(source, std::ios::binary);
    in.seekg(512);
    in.read(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    std::fstream out(target, std::ios::in | std::ios::out | std::ios::binary);
    out.seekp(512);
    out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
}

void buildDrives(const nvrtest::DeviceDirectory& devices) {
    devices.addDisk(kDataDrive, dataDisk());
    devices.addDisk(kLeakDrive, nvrtest::standardNvrDisk({TreeEntry::text("a.txt", "leak")}, "SERVICE-LEAK"));
    devices.addDisk(kBusyDrive, nvrtest::standardNvrDisk({TreeEntry::text("a.txt", "busy")}, "SERVICE-BUSY"));
    for (int source : {2, 4, 10, 12}) {
        devices.addDisk(source, copySource(6 << 20, source));
        devices.addBlank(source + 1, 6 << 20);
    }
    const uint64_t resumeSize = 2 * kCopyChunk + (1 << 20);
    devices.addDisk(kResumeSource, copySource(resumeSize, kResumeSource));
    devices.addBlank(kResumeSource + 1, resumeSize);
    copyFirstChunk(devices.entryPath(kResumeSource), devices.entryPath(kResumeSource + 1));
    writeResumeRecord(devices.entryPath(kResumeSource + 1), resumeSize, kCopyChunk);
}

SharedService& storage() {
    static SharedService shared;
    return shared;
}

}  // namespace

SharedService& sharedService() {
    SharedService& shared = storage();
    if (shared.service) return shared;
    shared.scratch = std::make_unique<nvrtest::TempDir>("halvex-test");
    shared.deviceDirectory = shared.scratch->file("devices");
    shared.runtimeDirectory = shared.scratch->file("run");
    std::filesystem::create_directories(shared.deviceDirectory);
    setenv("HOME", shared.scratch->path().c_str(), 1);  // copy logs, should any be written
    buildDrives(nvrtest::DeviceDirectory(shared.deviceDirectory));
    shared.service = std::make_unique<RunningService>(shared.deviceDirectory, shared.runtimeDirectory);
    return shared;
}

void ServiceTest::SetUpTestSuite() {
    SharedService& shared = sharedService();
    setenv("NVRDISK_RUNTIME_DIR", shared.runtimeDirectory.c_str(), 1);
    ASSERT_TRUE(shared.service->waitUntilListening()) << shared.service->output();
}

RawClient ServiceTest::connected() {
    RawClient client;
    EXPECT_TRUE(client.connect());
    return client;
}

// Stops the shared service before the scratch directory goes.
class SharedServiceTeardown : public ::testing::Environment {
public:
    void TearDown() override {
        SharedService& shared = storage();
        if (shared.service) shared.service->stop(SIGTERM);
        shared.service.reset();
    }
};

[[maybe_unused]] static ::testing::Environment* const kTeardown =
    ::testing::AddGlobalTestEnvironment(new SharedServiceTeardown);

}  // namespace halvextest
