// Helpers for tests that use the disk library through its exported functions.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_drives.h"
#include "tqhd.h"

namespace disktest {

// Builds the test drives and lets the library list them.
class ApiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        BuildTestDrives();
        unsigned count = 0;
        ASSERT_EQ(TQHD_GetHardDiskList(nullptr, &count), TQHD_OK);
    }
};

// Closes a handle when the test ends.
class HandleCloser {
public:
    explicit HandleCloser(TQHD_HANDLE handle) : handle_(handle) {}
    ~HandleCloser() { TQHD_CloseHandle(handle_); }
    HandleCloser(const HandleCloser&) = delete;
    HandleCloser& operator=(const HandleCloser&) = delete;
    TQHD_HANDLE get() const { return handle_; }

private:
    TQHD_HANDLE handle_;
};

inline TQHD_HANDLE DiskHandle(int number) {
    TQHD_DISK_INFO info{};
    info.hdindex = number;
    return TQHD_OpenHardDisk(&info);
}

// The names of a directory's listing, in order; empty when the listing fails.
inline std::vector<std::string> ListNames(TQHD_HANDLE dir, int32_t* result = nullptr) {
    TQHD_FIND_DATA first{};
    const int32_t code = TQHD_GetFindFile(dir, &first);
    if (result != nullptr) *result = code;
    std::vector<std::string> names;
    if (code != TQHD_OK) return names;
    for (const TQHD_FIND_DATA* record = &first; record != nullptr; record = record->pNext) {
        names.emplace_back(record->szName);
    }
    return names;
}

inline std::vector<std::string> ListRName(const std::string& rname) {
    HandleCloser dir(TQHD_OpenFindFileByRName(rname.c_str()));
    if (dir.get() == nullptr) return {};
    return ListNames(dir.get());
}

// Reads a handle to its end in pieces of `piece` bytes.
inline std::vector<uint8_t> ReadAll(TQHD_HANDLE file, int32_t piece = 1 << 20) {
    std::vector<uint8_t> all;
    std::vector<uint8_t> buffer(static_cast<size_t>(piece));
    for (;;) {
        const int32_t got = TQHD_ReadFile(file, buffer.data(), piece);
        if (got <= 0) break;
        all.insert(all.end(), buffer.begin(), buffer.begin() + got);
    }
    return all;
}

}  // namespace disktest
