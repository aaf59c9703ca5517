// Small text helpers for RNames ("/N/" a drive, "/N/V/" a volume root, "/N/V/dir/file").
#pragma once

#include <string>

namespace nvrdisk {

// Adds a trailing slash when the text ends with neither a slash nor a backslash.
std::string withTrailingSlash(const std::string& rname);
// "/N/": the RName of drive N as a whole.
std::string drivePrefix(int number);
// True for exactly "/N/": a whole drive.
bool isDrivePrefix(const std::string& rname);
// The text after the last slash or backslash ("" for a directory RName).
std::string lastComponent(const std::string& rname);

}  // namespace nvrdisk
