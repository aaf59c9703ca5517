// Looks into built images with e2fsprogs' own tools and plain reads, to judge the builder by
// something other than its own code.
#pragma once

#include "run_process.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace nvrtest {

// e2fsprogs opens "image?offset=N" as the volume starting N bytes into the image.
inline std::string volumeAt(const std::string& image, uint64_t offset) {
    return image + "?offset=" + std::to_string(offset);
}

inline ProcessResult checkVolume(const std::string& image, uint64_t offset) {
    return runProcess({"e2fsck", "-fn", volumeAt(image, offset)});
}

inline ProcessResult debugfs(const std::string& image, uint64_t offset, const std::string& command) {
    return runProcess({"debugfs", "-R", command, volumeAt(image, offset)});
}

inline std::vector<uint8_t> readWholeFile(const std::string& path) {
    std::ifstream input(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(input), {});
}

inline std::vector<uint8_t> readBytes(const std::string& path, uint64_t offset, size_t count) {
    std::ifstream input(path, std::ios::binary);
    input.seekg(static_cast<std::streamoff>(offset));
    std::vector<uint8_t> bytes(count);
    input.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<size_t>(input.gcount()));
    return bytes;
}

// A file of the volume, copied out by debugfs into `scratch`.
inline std::vector<uint8_t> dumpFile(const std::string& image, uint64_t offset, const std::string& file,
                                     const std::string& scratch) {
    std::remove(scratch.c_str());
    debugfs(image, offset, "dump " + file + " " + scratch);
    return readWholeFile(scratch);
}

}  // namespace nvrtest
