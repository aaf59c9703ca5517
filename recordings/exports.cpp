// The NVRFS_ functions: handle checks, and every exception kept inside the library.
#include <new>

#include "drive_probe.h"
#include "nvrfs.h"
#include "platform/debug.h"
#include "trans_index.h"

using quarnel::TransIndex;

namespace {

// A handle is the address of the TransIndex an open returned.
TransIndex* objectOf(NVRFS_HANDLE handle) { return reinterpret_cast<TransIndex*>(handle); }
NVRFS_HANDLE handleOf(TransIndex* object) { return reinterpret_cast<NVRFS_HANDLE>(object); }

template <typename Value, typename Body>
Value guarded(Value failure, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        platform::debugOut("# test # quarnel.dll, out of memory\n");
        return failure;
    } catch (...) {
        return failure;
    }
}

NVRFS_SYSTEMTIME systemTime(const quarnel::StoredTime& stored) {
    NVRFS_SYSTEMTIME time{};
    time.wYear = static_cast<uint16_t>(stored.year + 2000);
    time.wMonth = stored.month;
    time.wDay = stored.day;
    time.wHour = stored.hour;
    time.wMinute = stored.minute;
    time.wSecond = stored.second;
    return time;
}

}  // namespace

extern "C" {

NVRFS_HANDLE NVRFS_open(const char* path, int32_t /*mode*/) {
    return guarded<NVRFS_HANDLE>(nullptr, [&]() -> NVRFS_HANDLE {
        if (path == nullptr) return nullptr;
        auto object = std::make_unique<TransIndex>();
        return object->openPath(path) ? handleOf(object.release()) : nullptr;
    });
}

NVRFS_HANDLE NVRFS_open_BufferMode(int32_t driveNumber, char* indexData, uint32_t length) {
    return guarded<NVRFS_HANDLE>(nullptr, [&]() -> NVRFS_HANDLE {
        auto object = std::make_unique<TransIndex>();
        std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(indexData), indexData ? length : 0);
        return object->openBuffer(driveNumber, data) ? handleOf(object.release()) : nullptr;
    });
}

void NVRFS_close(NVRFS_HANDLE handle) { delete objectOf(handle); }

int32_t NVRFS_tell(NVRFS_HANDLE handle) {
    return handle ? static_cast<int32_t>(static_cast<uint32_t>(objectOf(handle)->position())) : 0;
}

int32_t NVRFS_seek(NVRFS_HANDLE handle, int32_t offset, int32_t origin) {
    if (handle == nullptr) return 0;
    const int64_t position = objectOf(handle)->seek(offset, origin);
    return position < 0 ? -1 : static_cast<int32_t>(static_cast<uint32_t>(position));
}

int32_t NVRFS_read(char* buffer, uint32_t size, uint32_t count, NVRFS_HANDLE handle) {
    return guarded<int32_t>(0, [&]() -> int32_t {
        if (handle == nullptr) return 0;
        const uint64_t wanted = uint64_t{size} * count;
        if (buffer == nullptr && wanted > 0) return 0;
        return objectOf(handle)->read(reinterpret_cast<uint8_t*>(buffer), wanted);
    });
}

int64_t NVRFS_GetFileSize(NVRFS_HANDLE handle) {
    return handle ? static_cast<int64_t>(objectOf(handle)->streamLength()) : -1;
}

int32_t NVRFS_GetTimeInfo(NVRFS_HANDLE handle, NVRFS_SYSTEMTIME* begin, NVRFS_SYSTEMTIME* end) {
    if (handle == nullptr || begin == nullptr || end == nullptr || !objectOf(handle)->hasTimes()) return 0;
    *begin = systemTime(objectOf(handle)->times().begin);
    *end = systemTime(objectOf(handle)->times().end);
    return 1;
}

uint32_t NVRFS_IsNvrFile(const char* path) {
    return guarded<uint32_t>(quarnel::kProbeNoDrive, [&] {
        return path == nullptr ? quarnel::kProbeEmptyPath : quarnel::probePath(path, quarnel::systemDriveOpener());
    });
}

uint32_t NVRFS_IsNvrPhysicalDrive(int32_t driveNumber) {
    return guarded<uint32_t>(quarnel::kProbeNoDrive,
                             [&] { return quarnel::probeDrive(driveNumber, quarnel::systemDriveOpener()); });
}

}  // extern "C"
