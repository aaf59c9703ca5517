// Helpers of the scenario tests: owned client handles, whole reads, bounded waits.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bounded_wait.h"
#include "tqhdc.h"

namespace clienttest {

struct HandleCloser {
    void operator()(void* handle) const { TQHDC_CloseHandle(handle); }
};
using ClientHandle = std::unique_ptr<void, HandleCloser>;

// Reads a handle to its end in pieces of `piece` bytes; stops at the first failure.
std::vector<uint8_t> readAll(TQHDC_HANDLE file, int32_t piece);
// The NVR disks the library lists.
std::vector<TQHD_DISK_INFO> listedDisks();
TQHD_DISK_INFO diskInfoOf(int drive);
std::string readLocalFile(const std::string& path);

}  // namespace clienttest
