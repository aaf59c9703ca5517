// `nvrdisk export`, `nvrdisk info` and `nvrdisk probe`: a recording's stream to a local file, a
// recording's times and lengths, and the recording library's answer about a drive.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <utility>

#include "command_error.h"
#include "commands.h"
#include "directory_listing.h"
#include "file_copy.h"
#include "format.h"
#include "progress_bar.h"
#include "recording_summary.h"
#include "nvrfs.h"
#include "platform/drive.h"
#include "rname.h"

namespace nvrdisk {
namespace {

ReadSource openRecording(const std::string& rname) {
    ReadSource source;
    source.handle = LibraryHandle(TQHDC_OpenAVFileByRName(rname.c_str()));
    if (!source.handle)
        throw CommandError("no recording " + rname + " (an .nvr index file whose payload is on the disk)", TQHD_E_PARAM);
    const int64_t length = TQHDC_GetFileLength(source.handle.get());
    if (length < 0) throw CommandError("cannot learn the length of " + rname, TQHD_E_READ);
    source.length = static_cast<uint64_t>(length);
    return source;
}

// The find record and disk of a file RName.
std::pair<LibraryHandle, TQHD_FIND_DATA> findRecord(const std::string& rname) {
    LibraryHandle disk(TQHDC_OpenHardDiskByRName(rname.c_str()));
    LibraryHandle parent(disk ? TQHDC_OpenFindFileByRName(rname.c_str()) : nullptr);
    const std::string name = lastComponent(rname);
    const auto entry = parent && !name.empty() ? findEntry(readEntries(parent.get()), name) : std::nullopt;
    if (!entry) throw CommandError("no file " + rname + " on a listed NVR disk", TQHD_E_PARAM);
    return {std::move(disk), *entry};
}

bool driveRefusesThisUser(int driveNumber) {
    const auto drive = platform::openDrive(driveNumber, platform::Access::Read,
                                           platform::kShareRead | platform::kShareWrite);
    return drive == nullptr && (errno == EACCES || errno == EPERM);
}

const char* probeSentence(uint32_t code) {
    switch (code) {
    case 0: return "no drive given";
    case 1: return "cannot be opened, or has no valid boot record";
    case 2: return "an NVR disk: it carries a raw data area";
    case 3: return "a disk with a valid boot record but no raw data area";
    default: return "an unknown answer";
    }
}

}  // namespace

void exportRecording(const std::string& rname, const std::string& outputPath) {
    const ReadSource source = openRecording(rname);
    OutputFile output(outputPath);
    ProgressBar progress(source.length, isatty(STDERR_FILENO) == 1);
    const uint64_t copied = copyToDescriptor(source, output.descriptor(), progress);
    output.finish(outputPath);
    if (copied != source.length)
        throw CommandError("the recording ended after " + std::to_string(copied) + " of " +
                               std::to_string(source.length) + " bytes (its payload could not be read)",
                           TQHD_E_READ);
    std::cout << "Wrote " << copied << " bytes (" << humanSize(copied) << ") of recording " << rname << " to "
              << outputPath << "\n";
}

void showRecordingInfo(const std::string& rname) {
    const auto [disk, entry] = findRecord(rname);
    if (!namesRecording(entry)) throw CommandError(rname + " is not an .nvr index file", TQHD_E_PARAM);
    const auto summary = summarizeRecording(disk.get(), entry);
    if (!summary) throw CommandError("the recording library does not open " + rname, TQHD_E_FAIL);
    std::cout << "recording       " << rname << "\n"
              << "begin           " << (summary->hasTimes ? formatTime(summary->begin) : "-") << "\n"
              << "end             " << (summary->hasTimes ? formatTime(summary->end) : "-") << "\n"
              << "stream length   " << summary->streamLength << " (" << humanSize(summary->streamLength) << ")\n"
              << "payload length  " << summary->payloadLength << "\n"
              << "units           " << summary->units << " of 64 KiB\n"
              << "index entries   " << summary->entries << "\n";
}

// The probe reads the drive itself (the service does not offer it), so it needs the right to
// open the drive.
void probeDrive(int driveNumber) {
    const uint32_t code = NVRFS_IsNvrPhysicalDrive(driveNumber);
    if (code == 1 && driveRefusesThisUser(driveNumber))
        throw CommandError("probe reads drive " + std::to_string(driveNumber) +
                           " directly and this user may not open it; run it as root (the disk service "
                           "does not offer the probe)");
    std::cout << "drive " << driveNumber << ": " << code << " " << probeSentence(code) << "\n";
}

}  // namespace nvrdisk
