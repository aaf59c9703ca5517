// The raw data area of a recording disk: RawSuperBlock and tag sectors where a formatter puts
// them, the bitmap bits a fresh area has, and every recording's payload in its data units.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <set>
#include <stdexcept>
#include <system_error>

#include <nvr/byte_reader.h>

#include "file_descriptor.h"
#include "recording_builder.h"

namespace nvrtest {
namespace {

constexpr uint64_t kSector = 512;
constexpr uint32_t kTagSector = 1;
constexpr uint64_t kSecondPlace = 3584;
constexpr size_t kDiskNameOffset = 165;

std::vector<uint8_t> readSector(const FileDescriptor& image, uint64_t offset) {
    std::vector<uint8_t> sector(kSector);
    if (::pread(image.get(), sector.data(), sector.size(), static_cast<off_t>(offset)) != static_cast<ssize_t>(kSector))
        throw std::system_error(errno, std::generic_category(), "reading the raw area's first sector");
    return sector;
}

// Fields as a formatter writes them; the disk name at 165 and everything behind it are kept.
void writeSuperBlockFields(std::vector<uint8_t>& sector, const RawAreaLayout& layout, bool withMagic) {
    std::fill(sector.begin(), sector.begin() + kDiskNameOffset, 0);
    nvr::ByteWriter writer(sector);
    const uint8_t lead[] = {14, 13, 10, 12};
    writer.copy(0, lead, sizeof lead);
    writer.u32le(4, withMagic ? kRawSuperBlockMagic : 0);
    writer.u32le(8, layout.dataUnits);
    writer.u32le(12, 1);
    writer.u32le(16, layout.dataStart);
    writer.u32le(20, layout.dataUnits + 1);
    writer.u32le(24, 1);
    writer.u32le(28, layout.bitmapUnits + 1);
    writer.u32le(32, layout.bitmapUnits);
    writer.u32le(36, static_cast<uint32_t>(layout.totalUnits));
    writer.u32le(40, kRawUnitSize);
    writer.u32le(44, kTagSector);
    writer.u32le(52, 1700000000);
    writer.u16le(60, 0x1314);
    writer.u32le(68, 1700000000);
    for (size_t offset : {122, 124}) writer.u8(offset, 1);
    for (uint32_t copy = 0; copy < 8; ++copy) writer.u32le(132 + 4 * copy, 1 + copy * layout.bitmapUnits);
}

std::vector<uint8_t> tagSector(const RawAreaLayout& layout) {
    std::vector<uint8_t> sector(kSector);
    nvr::ByteWriter writer(sector);
    writer.u32le(0, 0x41615252);
    writer.u32le(484, 0x5A5A5A5A);
    writer.u32le(488, layout.dataUnits);
    return sector;
}

void writeDescriptors(const FileDescriptor& image, uint64_t start, const RawAreaLayout& layout, SuperBlockPlaces places) {
    std::vector<uint8_t> sector = readSector(image, start);
    const uint64_t lastUnit = start + (layout.totalUnits - 1) * kRawUnitSize;
    writeSuperBlockFields(sector, layout, places.unitStart);
    writeAllAt(image, sector.data(), sector.size(), start);
    writeSuperBlockFields(sector, layout, places.sectorSeven);
    writeAllAt(image, sector.data(), sector.size(), start + kSecondPlace);
    writeSuperBlockFields(sector, layout, places.lastUnit);
    writeAllAt(image, sector.data(), sector.size(), lastUnit);
    const std::vector<uint8_t> tag = tagSector(layout);
    writeAllAt(image, tag.data(), tag.size(), start + kTagSector * kSector);
    writeAllAt(image, tag.data(), tag.size(), lastUnit + kTagSector * kSector);
    const uint64_t bit = layout.totalUnits - 1;  // a fresh area marks its last unit in copies 0 and 1
    const uint8_t mark = static_cast<uint8_t>(1u << (bit % 8));
    for (uint32_t copy = 0; copy < 2; ++copy)
        writeAllAt(image, &mark, 1, start + (1 + uint64_t{copy} * layout.bitmapUnits) * kRawUnitSize + bit / 8);
}

void checkPlacement(const std::vector<RecordingPlan>& recordings, const RawAreaLayout& layout) {
    std::set<uint32_t> used;
    for (const RecordingPlan& recording : recordings)
        for (uint32_t unit : recording.dataUnits) {
            if (unit >= layout.usableDataUnits())
                throw std::invalid_argument(recording.indexPath + ": data unit " + std::to_string(unit) + " is outside the area");
            if (!used.insert(unit).second)
                throw std::invalid_argument(recording.indexPath + ": data unit " + std::to_string(unit) + " is used twice");
        }
}

void writePayload(const FileDescriptor& image, uint64_t start, const RawAreaLayout& layout, const RecordingPlan& recording) {
    const std::vector<FrameStart> frames = recordingFrames(recording);
    std::vector<uint8_t> unit(kRawUnitSize);
    for (size_t block = 0; block < recording.dataUnits.size(); ++block) {
        fillPayload(recording, frames, uint64_t{block} * kRawUnitSize, unit);
        const uint64_t position = start + (uint64_t{layout.dataStart} + recording.dataUnits[block]) * kRawUnitSize;
        writeAllAt(image, unit.data(), unit.size(), position);
    }
}

void addIndexFiles(DiskPlan& plan, const std::vector<RecordingPlan>& recordings) {
    if (plan.partitions.size() < 2 || plan.partitions[0].kind != PartitionKind::Ext2 ||
        plan.partitions[1].kind != PartitionKind::Raw)
        throw std::invalid_argument("a recording disk needs an ext2 volume in entry 0 and a raw area in entry 1");
    for (const RecordingPlan& recording : recordings)
        plan.partitions[0].ext2.tree.push_back({recording.indexPath, recordingIndexFile(recording), 0, 0});
}

}  // namespace

RawAreaLayout rawAreaLayout(uint64_t areaBytes) {
    RawAreaLayout layout;
    layout.totalUnits = areaBytes / kRawUnitSize;
    layout.dataUnits = static_cast<uint32_t>(layout.totalUnits - layout.totalUnits / 100);
    const uint64_t bitmapBytes = (uint64_t{layout.dataUnits} + 7) / 8;
    layout.bitmapUnits = static_cast<uint32_t>((bitmapBytes + kRawUnitSize - 1) / kRawUnitSize);
    layout.dataStart = 1 + 8 * layout.bitmapUnits;
    return layout;
}

void writeRawArea(const std::string& imagePath, const BuiltPartition& area, const std::vector<RecordingPlan>& recordings,
                  SuperBlockPlaces places) {
    const RawAreaLayout layout = rawAreaLayout(area.sectorCount * kSector);
    if (layout.totalUnits < 2) throw std::invalid_argument("the raw area needs at least two units");
    checkPlacement(recordings, layout);
    FileDescriptor image = openFile(imagePath, O_RDWR);
    const uint64_t start = area.firstSector * kSector;
    writeDescriptors(image, start, layout, places);
    for (const RecordingPlan& recording : recordings) writePayload(image, start, layout, recording);
}

BuiltDisk buildRecordingDisk(DiskPlan plan, const std::vector<RecordingPlan>& recordings, const std::string& path,
                             SuperBlockPlaces places) {
    addIndexFiles(plan, recordings);
    BuiltDisk built = buildDiskImage(plan, path);
    try {
        writeRawArea(path, built.partitions[1], recordings, places);
    } catch (...) {
        ::unlink(path.c_str());
        throw;
    }
    return built;
}

BuiltDisk addRecordingDisk(const DeviceDirectory& devices, int number, DiskPlan plan,
                           const std::vector<RecordingPlan>& recordings, SuperBlockPlaces places) {
    const std::string temporary = devices.path() + "/.PhysicalDrive" + std::to_string(number) + ".tmp";
    BuiltDisk built = buildRecordingDisk(std::move(plan), recordings, temporary, places);
    built.path = devices.entryPath(number);
    if (::rename(temporary.c_str(), built.path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary.c_str());
        throw std::system_error(error, std::generic_category(), "rename " + temporary);
    }
    return built;
}

std::vector<uint32_t> scatteredUnits(uint32_t count, uint32_t limit, uint64_t seed) {
    if (count > limit) throw std::invalid_argument("more units wanted than there are");
    std::vector<uint32_t> units(limit);
    for (uint32_t unit = 0; unit < limit; ++unit) units[unit] = unit;
    std::mt19937_64 random(seed);
    std::shuffle(units.begin(), units.end(), random);
    units.resize(count);
    return units;
}

}  // namespace nvrtest
