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
// Writes a recording's stream (payload, then its INDX table) to a local file.
void exportRecording(const std::string& rname, const std::string& outputPath);
void showRecordingInfo(const std::string& rname);
// Prints the recording library's probe of drive N in words (reads the drive itself).
void probeDrive(int driveNumber);
// Which way the drives are reached and whether the disk service answers.
void showStatus();
// Checks video files without the disk library; returns the exit status (0 only when all passed).
int checkVideos(const std::string& path, bool json);

}  // namespace nvrdisk
