// Reads a file or a whole drive of an NVR disk through the disk library and writes it out.
#pragma once

#include <cstdint>
#include <string>

#include "library_handle.h"

namespace nvrdisk {

class ProgressBar;

// A file, or a whole drive when the RName is exactly "/N/", opened for reading.
struct ReadSource {
    LibraryHandle handle;
    bool wholeDrive = false;
    uint64_t length = 0;
};

// Throws CommandError when the RName names neither a file nor a listed drive.
ReadSource openSource(const std::string& rname);

// A local file created (or emptied) for writing; closed when it goes out of scope. Throws
// CommandError when it cannot be created.
class OutputFile {
public:
    explicit OutputFile(const std::string& path);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    int descriptor() const { return descriptor_; }
    // Closing reports late write errors (a full disk on a network file system, say).
    void finish(const std::string& path);

private:
    int descriptor_;
};

// Reads in 1 MiB pieces (whole 512-byte sectors for a drive) and writes each to the descriptor.
// Returns the bytes copied; throws CommandError when a read or a write fails.
uint64_t copyToDescriptor(const ReadSource& source, int outputDescriptor, ProgressBar& progress);

}  // namespace nvrdisk
