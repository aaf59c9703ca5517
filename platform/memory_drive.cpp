// A drive held in memory, with the same sector rule as files and devices, so parsers meet the
// same refusals in tests and fuzzers as on real drives.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "drive_rules.h"
#include "platform/drive.h"

namespace platform {
namespace {

class MemoryDrive final : public Drive {
public:
    explicit MemoryDrive(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    int64_t readAt(uint64_t offset, void* buffer, size_t count) override {
        if (!wholeSectors(offset, count)) return refuse();
        if (offset >= bytes_.size() || count == 0) return 0;
        const size_t available = std::min<uint64_t>(count, bytes_.size() - offset);
        std::memcpy(buffer, bytes_.data() + offset, available);
        return static_cast<int64_t>(available);
    }

    int64_t writeAt(uint64_t offset, const void* buffer, size_t count) override {
        if (!wholeSectors(offset, count)) return refuse();
        if (offset > bytes_.size() || count > bytes_.size() - offset) {
            errno = ENOSPC;
            return -1;
        }
        if (count != 0) std::memcpy(bytes_.data() + offset, buffer, count);
        return static_cast<int64_t>(count);
    }

    int64_t length() override { return static_cast<int64_t>(bytes_.size()); }
    bool flush() override { return true; }

private:
    static int64_t refuse() {
        errno = EINVAL;
        return -1;
    }

    std::vector<uint8_t> bytes_;
};

}  // namespace

std::unique_ptr<Drive> makeMemoryDrive(std::vector<uint8_t> bytes) {
    return std::make_unique<MemoryDrive>(std::move(bytes));
}

}  // namespace platform
