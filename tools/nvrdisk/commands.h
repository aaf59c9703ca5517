// The tool's commands. Each prints its results to stdout and throws CommandError on failure.
#pragma once

#include <string>

namespace nvrdisk {

void listDrives();
void listDirectory(const std::string& rname);
void catFile(const std::string& rname);
void dumpToFile(const std::string& rname, const std::string& outputPath);
void watchDrives();
void writeSample(const std::string& directory);
// Checks video files without the disk library; returns the exit status (0 only when all passed).
int checkVideos(const std::string& path, bool json);

}  // namespace nvrdisk
