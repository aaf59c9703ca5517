#include "memory_disk.h"

#include "disk_image_builder.h"
#include "index_records.h"
#include "nvr/byte_reader.h"
#include "raw_area.h"

#include <fstream>
#include <iterator>

namespace quarnel::testing {
namespace {

class LoggingDrive final : public platform::Drive {
public:
    LoggingDrive(std::unique_ptr<platform::Drive> inner, std::shared_ptr<DriveLog> log)
        : inner_(std::move(inner)), log_(std::move(log)) {}
    int64_t readAt(uint64_t offset, void* buffer, size_t count) override {
        log_->reads.push_back({offset, count});
        for (const DeviceRequest& bad : log_->failing)
            if (offset < bad.offset + bad.count && bad.offset < offset + count) return -1;
        return inner_->readAt(offset, buffer, count);
    }
    int64_t writeAt(uint64_t offset, const void* buffer, size_t count) override { return -1; }
    int64_t length() override { return inner_->length(); }
    bool flush() override { return true; }

private:
    std::unique_ptr<platform::Drive> inner_;
    std::shared_ptr<DriveLog> log_;
};

}  // namespace

std::vector<uint8_t> recordingDiskBytes(const std::vector<nvrtest::RecordingPlan>& recordings, uint32_t areaUnits,
                                        nvrtest::SuperBlockPlaces places) {
    nvrtest::DiskPlan plan;
    plan.firstPartitionSector = 8;
    nvrtest::PartitionPlan first;
    first.kind = nvrtest::PartitionKind::Blank;
    // The area must follow the first partition directly; the builder puts later partitions on
    // 1 MiB boundaries, so the first one ends at one.
    first.sizeBytes = (2048 - 8) * 512;
    nvrtest::PartitionPlan area;
    area.kind = nvrtest::PartitionKind::Raw;
    area.sizeBytes = uint64_t{areaUnits} * kUnitSize;
    area.diskName = "MEMORY-DISK";
    plan.partitions = {first, area};
    nvrtest::TempDir scratch("quarnel-disk");
    const std::string path = scratch.file("disk.img");
    const nvrtest::BuiltDisk built = nvrtest::buildDiskImage(plan, path);
    nvrtest::writeRawArea(path, built.partitions[1], recordings, places);
    std::ifstream image(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(image), {}};
}

uint64_t dataUnitPosition(const std::vector<uint8_t>& disk, uint32_t unit) {
    const auto place = decodeBootRecord(std::span<const uint8_t>(disk.data(), kBootRecordSize));
    const uint32_t dataStart = nvr::ByteReader(disk.data() + place->start, 512).u32le(16);
    return place->start + (uint64_t{dataStart} + unit) * kUnitSize;
}

DriveOpener loggingOpener(std::vector<uint8_t> disk, std::shared_ptr<DriveLog> log) {
    auto shared = std::make_shared<const std::vector<uint8_t>>(std::move(disk));
    return [shared, log](int, unsigned) -> std::unique_ptr<platform::Drive> {
        log->opens += 1;
        return std::make_unique<LoggingDrive>(platform::makeMemoryDrive(*shared), log);
    };
}

nvrtest::RecordingPlan recordingIn(std::vector<uint32_t> units, uint64_t payloadLength, nvrtest::IndexStyle style) {
    nvrtest::RecordingPlan recording;
    recording.indexPath = "rec/test.nvr";
    recording.channel = 2;
    recording.begin = {26, 3, 11, 8, 0, 0};
    recording.end = {26, 3, 11, 8, 4, 30};
    recording.payloadLength = payloadLength;
    recording.dataUnits = std::move(units);
    recording.style = style;
    recording.seed = 11;
    return recording;
}

}  // namespace quarnel::testing
