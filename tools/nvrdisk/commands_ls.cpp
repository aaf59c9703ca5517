// `nvrdisk ls RNAME`: the entries of a directory (or one file) with type, size and inode.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <iostream>
#include <strings.h>

#include "command_error.h"
#include "commands.h"
#include "directory_listing.h"
#include "format.h"
#include "inventory.h"
#include "library_handle.h"
#include "recording_summary.h"
#include "rname.h"

namespace nvrdisk {
namespace {

// A directory's size is the size of its content, read the same way as a file's.
std::string entrySize(TQHDC_HANDLE disk, const TQHD_FIND_DATA& entry) {
    LibraryHandle file(TQHDC_OpenFileByFind(disk, &entry));
    const int64_t length = file ? TQHDC_GetFileLength(file.get()) : -1;
    return length < 0 ? "?" : std::to_string(length);
}

void printEntries(TQHDC_HANDLE disk, std::vector<TQHD_FIND_DATA> entries) {
    std::sort(entries.begin(), entries.end(), [](const TQHD_FIND_DATA& left, const TQHD_FIND_DATA& right) {
        return strcasecmp(left.szName, right.szName) < 0;
    });
    std::printf("%-4s  %12s  %8s  %s\n", "type", "size", "inode", "name");
    for (const TQHD_FIND_DATA& entry : entries) {
        const bool directory = entry.lType == TQHD_TYPE_DIRECTORY;
        // A recording's index file is marked "rec" and followed by the recording's times.
        const auto recording = namesRecording(entry) ? summarizeRecording(disk, entry) : std::nullopt;
        const char* type = directory ? "dir" : recording ? "rec" : "file";
        const std::string times = recording ? "  " + formatTimeSpan(*recording) : "";
        std::printf("%-4s  %12s  %8" PRIu32 "  %s%s%s\n", type, entrySize(disk, entry).c_str(), entry.lInode,
                    entry.szName, directory ? "/" : "", times.c_str());
    }
}

// "/N/" names a whole drive: show its volumes, the places a listing can start.
void printDriveVolumes(TQHDC_HANDLE disk, const std::string& rname) {
    for (const TQHD_DRIVER_INFO& volume : readVolumes(disk))
        std::cout << rname << volume.lVolume << "/  partition " << volume.lPartition << "  " << volumeKind(volume)
                  << "\n";
}

// A file RName: the directory holding it (the library trims to the last slash), then the entry.
bool printSingleFile(TQHDC_HANDLE disk, const std::string& rname) {
    const std::string name = lastComponent(rname);
    if (name.empty()) return false;
    LibraryHandle parent(TQHDC_OpenFindFileByRName(rname.c_str()));
    if (!parent) return false;
    const auto entry = findEntry(readEntries(parent.get()), name);
    if (!entry) return false;
    printEntries(disk, {*entry});
    return true;
}

}  // namespace

void listDirectory(const std::string& rname) {
    const LibraryHandle disk(TQHDC_OpenHardDiskByRName(rname.c_str()));
    if (!disk) throw CommandError(rname + " is not on a listed NVR disk (see nvrdisk list)", TQHD_E_PARAM);
    if (isDrivePrefix(rname)) return printDriveVolumes(disk.get(), rname);
    LibraryHandle directory(TQHDC_OpenFindFileByRName(withTrailingSlash(rname).c_str()));
    if (directory) return printEntries(disk.get(), readEntries(directory.get()));
    if (!printSingleFile(disk.get(), rname))
        throw CommandError("no directory or file " + rname + " (a raw data area cannot be listed)", TQHD_E_PARAM);
}

}  // namespace nvrdisk
