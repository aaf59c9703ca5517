// `nvrdisk sample DIR`: a device directory to try the tool on. Drive 0 stands for the system
// disk, drives 1 and 2 are two disks of one recorder (same name, so one group), drive 3 is a
// blank drive that is not an NVR disk. Images are sparse; together they stay well under 100 MiB.
#include <filesystem>
#include <iostream>

#include "command_error.h"
#include "commands.h"
#include "sample_disks.h"
#include "sample_recordings.h"

namespace nvrdisk {

void writeSample(const std::string& directory) {
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) throw CommandError("cannot create " + directory + ": " + error.message());
    const nvrtest::DeviceDirectory devices(directory);
    try {
        devices.addBlank(0, 1 << 20);
        nvrtest::addRecordingDisk(devices, 1, sampleFirstDisk(), sampleRecordings());
        devices.addDisk(2, sampleSecondDisk());
        devices.addBlank(3, 8 << 20);
    } catch (const std::exception& failure) {
        throw CommandError(std::string("cannot build the sample disks: ") + failure.what());
    }
    std::cout << "Wrote a sample device directory to " << directory << ":\n"
              << "  drive 0  blank (stands for the system disk; never examined)\n"
              << "  drive 1  NVR disk \"" << sampleRecorderName << "\": ext2 volume /1/0/ and a raw data area;\n"
              << "           recordings of four channels in /1/0/record/ (nvrdisk export, info)\n"
              << "  drive 2  NVR disk \"" << sampleRecorderName << "\" (same recorder): four partitions\n"
              << "  drive 3  blank drive, not an NVR disk\n"
              << "Try: nvrdisk --devices " << directory << " list\n";
}

}  // namespace nvrdisk
