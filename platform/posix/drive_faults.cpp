// The fault hook: sectors that fail for drives opened later, set in this process or by a file
// that another process (a test driving a service) writes into the device directory.
#include "drive_faults.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>
#include <optional>
#include <sstream>

#include "platform/drive.h"
#include "unique_fd.h"

namespace platform {
namespace {

// A fault file larger than this is not a list someone wrote by hand; the rest is ignored.
constexpr size_t kMaximumFaultFileBytes = 1 << 20;

struct FaultRegistry {
    std::mutex mutex;
    std::map<int, FaultPlan> plans;
};

FaultRegistry& registry() {
    static FaultRegistry* instance = new FaultRegistry;
    return *instance;
}

std::optional<uint64_t> parseSectorNumber(const std::string& word) {
    if (word.empty() || word.size() > 20) return std::nullopt;
    uint64_t value = 0;
    for (char digit : word) {
        if (digit < '0' || digit > '9') return std::nullopt;
        const uint64_t next = value * 10 + static_cast<uint64_t>(digit - '0');
        if (next / 10 != value) return std::nullopt;  // wrapped past 64 bits
        value = next;
    }
    return value;
}

void parseFaultLine(std::string line, FaultPlan& plan) {
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string kind, first, count, extra;
    if (!(words >> kind >> first >> count) || (words >> extra)) return;
    const auto firstSector = parseSectorNumber(first);
    const auto sectorCount = parseSectorNumber(count);
    if (!firstSector || !sectorCount) return;
    if (kind == "read") plan.read.push_back({*firstSector, *sectorCount});
    if (kind == "write") plan.write.push_back({*firstSector, *sectorCount});
}

// The file's text up to the size limit; empty when it is missing (the usual case).
std::string readSmallFile(const std::string& path) {
    UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!file.valid()) return {};
    std::string text;
    char chunk[4096];
    while (text.size() < kMaximumFaultFileBytes) {
        const ssize_t got = ::read(file.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        text.append(chunk, static_cast<size_t>(got));
    }
    return text;
}

std::string faultFilePath(int number) {
    return deviceDirectory() + "/PhysicalDrive" + std::to_string(number) + ".faults";
}

}  // namespace

void parseFaultLines(const std::string& text, FaultPlan& plan) {
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) parseFaultLine(line, plan);
}

FaultPlan faultPlanForDrive(int number) {
    FaultPlan plan;
    {
        FaultRegistry& faults = registry();
        std::lock_guard lock(faults.mutex);
        if (auto found = faults.plans.find(number); found != faults.plans.end()) plan = found->second;
    }
    if (number >= 0) parseFaultLines(readSmallFile(faultFilePath(number)), plan);
    return plan;
}

void setDriveFaults(int number, FaultKind kind, std::vector<SectorRange> ranges) {
    FaultRegistry& faults = registry();
    std::lock_guard lock(faults.mutex);
    FaultPlan& plan = faults.plans[number];
    (kind == FaultKind::Read ? plan.read : plan.write) = std::move(ranges);
}

void clearDriveFaults(int number) {
    FaultRegistry& faults = registry();
    std::lock_guard lock(faults.mutex);
    faults.plans.erase(number);
}

}  // namespace platform
