// Requests about disks and volumes: lists, disk opens, device information, program names.
#include <cstring>
#include <string>

#include "protocol/records.h"
#include "service_io.h"

namespace halvex {
namespace {

constexpr unsigned kDiskListCapacity = 25;
constexpr int32_t kDriverListCapacity = 4;

}  // namespace

void CServiceIO::HandleInventory(const protocol::Request& request) {
    const char* name = request.text.c_str();
    switch (request.code) {
    case protocol::kGetHardDiskList: case protocol::kGetDiskList: return DiskList(request.code);
    case protocol::kOpenHardDisk: {
        reply_.value = Publish(TQHD_OpenHardDisk(&request.disk), HandleKind::Disk);
        if (reply_.value == 0) reply_.status = protocol::kDiskOpenFailedStatus;
        return;
    }
    case protocol::kOpenHardDiskByRName: reply_.value = Publish(TQHD_OpenHardDiskByRName(name), HandleKind::Disk); return;
    case protocol::kOpenHardDiskByDir: reply_.value = Publish(TQHD_OpenHardDiskByDir(name), HandleKind::Disk); return;
    case protocol::kGetDriverList: case protocol::kGetDriverListByRName: return DriverList(request);
    case protocol::kGetDeviceInfo: return DeviceInfo(TQHD_GetDeviceInfo(&request.disk, static_cast<int32_t>(request.number)));
    case protocol::kGetDeviceInfoByRName:
        return DeviceInfo(TQHD_GetDeviceInfoByRName(name, static_cast<int32_t>(request.number)));
    case protocol::kUnInitialize: reply_.value = static_cast<uint32_t>(TQHD_UnInitialize()); return;
    case protocol::kIsNvrFile: reply_.value = TQHD_IsNvrFile(name); return;
    case protocol::kSetExeFileName:
        reply_.value = static_cast<uint32_t>(TQHD_SetExeFileName(handles_.resolveAny(request.handle, serial_), name));
        return;
    default: return;
    }
}

void CServiceIO::DiskList(uint8_t code) {
    TQHD_DISK_INFO list[kDiskListCapacity]{};
    unsigned count = kDiskListCapacity;
    const int32_t status = code == protocol::kGetDiskList ? TQHD_GetDiskList(list, &count) : TQHD_GetHardDiskList(list, &count);
    count = std::min(count, kDiskListCapacity);
    std::vector<uint8_t> bytes(count * protocol::kDiskInfoSize);
    for (unsigned index = 0; index < count; ++index) {
        protocol::encodeDiskInfo(list[index], std::span<uint8_t>(bytes).subspan(index * protocol::kDiskInfoSize));
    }
    reply_ = {static_cast<uint32_t>(status), static_cast<uint32_t>(bytes.size()), count};
    SendBulk(std::move(bytes));
}

void CServiceIO::DriverList(const protocol::Request& request) {
    TQHD_DRIVER_INFO list[kDriverListCapacity]{};
    int32_t count = kDriverListCapacity;
    const int32_t status = request.code == protocol::kGetDriverList
                               ? TQHD_GetDriverList(Resolve(request.handle, HandleKind::Disk), list, &count)
                               : TQHD_GetDriverListByRName(request.text.c_str(), list, &count);
    const size_t records = status == TQHD_OK ? static_cast<size_t>(std::clamp(count, 0, kDriverListCapacity)) : 0;
    std::vector<uint8_t> bytes(records * protocol::kDriverInfoSize);
    for (size_t index = 0; index < records; ++index) {
        protocol::encodeDriverInfo(list[index], std::span<uint8_t>(bytes).subspan(index * protocol::kDriverInfoSize));
    }
    reply_ = {static_cast<uint32_t>(status), static_cast<uint32_t>(bytes.size()), static_cast<uint32_t>(records)};
    SendBulk(std::move(bytes));
}

// The zero-terminated name at the start of the library's record, without its terminator.
void CServiceIO::DeviceInfo(const TQHD_DEVICE_INFO* info) {
    if (info == nullptr) {
        reply_.status = static_cast<uint32_t>(TQHD_E_UNAVAILABLE);
        return;
    }
    const size_t length = strnlen(info->szName, sizeof info->szName);
    SendBulk(std::vector<uint8_t>(info->szName, info->szName + length));
    reply_.value = static_cast<uint32_t>(length);
}

}  // namespace halvex
