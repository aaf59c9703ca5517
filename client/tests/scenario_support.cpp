#include "scenario_support.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace clienttest {

std::vector<uint8_t> readAll(TQHDC_HANDLE file, int32_t piece) {
    std::vector<uint8_t> bytes;
    std::vector<uint8_t> buffer(static_cast<size_t>(piece));
    for (;;) {
        const int32_t got = TQHDC_ReadFile(file, buffer.data(), piece);
        if (got <= 0) return bytes;
        bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + got);
    }
}

std::vector<TQHD_DISK_INFO> listedDisks() {
    unsigned count = 0;
    if (TQHDC_GetHardDiskList(nullptr, &count) != TQHD_OK) return {};
    std::vector<TQHD_DISK_INFO> disks(count);
    if (count == 0 || TQHDC_GetHardDiskList(disks.data(), &count) != TQHD_OK) return {};
    disks.resize(count);
    return disks;
}

TQHD_DISK_INFO diskInfoOf(int drive) {
    for (const TQHD_DISK_INFO& info : listedDisks())
        if (info.hdindex == drive) return info;
    TQHD_DISK_INFO none{};
    none.hdindex = drive;
    return none;
}

std::string readLocalFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

}  // namespace clienttest
