// Queries that make a temporary client object: drive lists, volumes by name, the drive probe,
// device information and the library's shutdown.
#include <algorithm>
#include <optional>
#include <string>

#include "export_support.h"
#include "process_state.h"

using namespace tolvern;

namespace {

constexpr uint32_t kMostDisks = 25;

int32_t ListDisks(bool nvrDisks, TQHD_DISK_INFO* list, unsigned* count) {
    if (count == nullptr) return TQHD_E_PARAM;
    ClientPointer client = MakeClient();
    if (client->direct()) return nvrDisks ? TQHD_GetHardDiskList(list, count) : TQHD_GetDiskList(list, count);
    CClientFileOp* connection = Connected(*client);
    if (connection == nullptr) return TQHD_E_FAIL;
    const int32_t code = nvrDisks ? connection->GetHardDiskList() : connection->GetDiskList();
    if (code != TQHD_OK || !connection->replied()) return code;
    uint32_t records = std::min(connection->reply().value, kMostDisks);
    if (*count != 0 && *count < records) records = *count;
    *count = records;
    if (list != nullptr && !connection->ReadDiskRecords(list, records)) return protocol::kReadFailed;
    return TQHD_OK;
}

// The zero-terminated name at the start of a device record; it fills at most its 32 bytes.
std::optional<std::string> NameOf(const TQHD_DEVICE_INFO* device) {
    if (device == nullptr) return std::nullopt;
    return std::string(device->szName, strnlen(device->szName, sizeof device->szName));
}

// The text of a device-information reply, or nothing when the request failed.
std::optional<std::string> ServiceText(CClientFileOp& connection, int32_t code) {
    if (code != TQHD_OK || !connection.replied()) return std::nullopt;
    return connection.ReadText(connection.reply().value);
}

template <typename Direct, typename Service>
const char* DeviceText(Direct direct, Service service) {
    ClientPointer client = MakeClient();
    if (client->direct()) return StoreDeviceText(NameOf(direct()));
    CClientFileOp* connection = Connected(*client);
    if (connection == nullptr) return StoreDeviceText(std::nullopt);
    return StoreDeviceText(ServiceText(*connection, service(*connection)));
}

}  // namespace

extern "C" {

int32_t TQHDC_GetHardDiskList(TQHD_DISK_INFO* list, unsigned* count) {
    return Guarded(TQHD_E_FAIL, [&] { return ListDisks(true, list, count); });
}

int32_t TQHDC_GetDiskList(TQHD_DISK_INFO* list, unsigned* count) {
    return Guarded(TQHD_E_FAIL, [&] { return ListDisks(false, list, count); });
}

int32_t TQHDC_GetDriverListByRName(const char* rname, TQHD_DRIVER_INFO* list, int32_t* count) {
    return Guarded(TQHD_E_FAIL, [&] {
        if (rname == nullptr || list == nullptr || count == nullptr) return TQHD_E_PARAM;
        ClientPointer client = MakeClient();
        if (client->direct()) return TQHD_GetDriverListByRName(rname, list, count);
        CClientFileOp* connection = Connected(*client);
        if (connection == nullptr) return TQHD_E_FAIL;
        return TakeDriverList(*connection, connection->GetDriverListByRName(rname), list, count);
    });
}

uint32_t TQHDC_IsNvrFile(const char* path) {
    return Guarded<uint32_t>(0, [&]() -> uint32_t {
        if (path == nullptr || *path == '\0') return 0;
        ClientPointer client = MakeClient();
        if (client->direct()) return TQHD_IsNvrFile(path);
        CClientFileOp* connection = Connected(*client);
        if (connection == nullptr) return 0;
        const int32_t code = connection->IsNvrFile(path);
        return code == TQHD_OK && connection->replied() ? connection->reply().value : 0;
    });
}

const char* TQHDC_GetDeviceInfo(const TQHD_DISK_INFO* info, int32_t kind) {
    return Guarded<const char*>(nullptr, [&] {
        return DeviceText([&] { return TQHD_GetDeviceInfo(info, kind); },
                          [&](CClientFileOp& connection) {
                              return info == nullptr ? TQHD_E_PARAM : connection.GetDeviceInfo(*info, kind);
                          });
    });
}

const char* TQHDC_GetDeviceInfoByRName(const char* rname, int32_t kind) {
    return Guarded<const char*>(nullptr, [&] {
        return DeviceText([&] { return rname == nullptr ? nullptr : TQHD_GetDeviceInfoByRName(rname, kind); },
                          [&](CClientFileOp& connection) {
                              return rname == nullptr ? TQHD_E_PARAM : connection.GetDeviceInfoByRName(rname, kind);
                          });
    });
}

int32_t TQHDC_UnInitialize(void) {
    return Guarded(0, [] {
        ClientPointer client = MakeClient();
        if (client->direct()) return TQHD_UnInitialize();
        CClientFileOp* connection = Connected(*client);
        if (connection == nullptr) return 0;
        const int32_t code = connection->UnInitialize();
        if (code != TQHD_OK) return code;
        return connection->replied() ? static_cast<int32_t>(connection->reply().value) : 0;
    });
}

}  // extern "C"
