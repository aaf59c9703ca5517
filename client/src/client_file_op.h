// The concrete service connection: one method per request. Each builds its request, sends it and
// waits for the reply; it returns the reply's status, or the transport code when no reply came.
// The reply's words stay available through reply() for the caller to form its result.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "client_io.h"
#include "protocol/requests.h"
#include "tqhd_types.h"

namespace tolvern {

class CClientFileOp : public CClientIO {
public:
    CClientFileOp() = default;
    ~CClientFileOp() override;

    int32_t GetHardDiskList();
    int32_t GetDiskList();
    int32_t OpenHardDisk(const TQHD_DISK_INFO& info);
    int32_t OpenHardDiskByRName(std::string_view name);
    int32_t OpenHardDiskByDir(std::string_view directory);
    int32_t UnInitialize();
    int32_t FormatHDDByFind(const TQHD_DISK_INFO& info, bool force);
    int32_t FormatHDDByRName(std::string_view name, bool force);
    int32_t CloseHandle(uint32_t handle);
    int32_t GetDriverList(uint32_t disk);
    int32_t GetDriverListByRName(std::string_view name);
    int32_t OpenFindFile(uint32_t disk, const TQHD_FIND_DATA* from, int32_t volume);
    int32_t OpenFindFileByRName(std::string_view name);
    int32_t GetFindFile(uint32_t directory);
    int32_t OpenFileByFind(uint32_t disk, const TQHD_FIND_DATA& record);
    int32_t OpenAVFileByIndexFileCon(uint32_t disk, uint32_t length);
    int32_t OpenAVFileByFind(uint32_t disk, const TQHD_FIND_DATA& record);
    int32_t OpenAVFileByName(std::string_view path, int32_t mode);
    int32_t IsNvrFile(std::string_view path);
    int32_t GetDeviceInfo(const TQHD_DISK_INFO& info, int32_t kind);
    int32_t GetDeviceInfoByRName(std::string_view name, int32_t kind);
    int32_t OpenFileByRName(std::string_view name);
    int32_t OpenAVFileByRName(std::string_view name);
    int32_t GetFileLength(uint32_t file);
    int32_t ReadFile(uint32_t file, uint32_t length);
    int32_t SeekFile(uint32_t file, int32_t offset, int32_t origin);
    int32_t GetFileCurrentPosition(uint32_t file);
    int32_t DiskCopy(int32_t source, int32_t target);
    int32_t Stop(uint32_t job);
    int32_t SetExeFileName(uint32_t handle, std::string_view path);
    int32_t RegistIntCallBack(uint32_t disk);
    int32_t RegistIntCallBackByRName(std::string_view name);

    // Decoders of the section's records after a reply that placed them there.
    // False when the records did not arrive through the section (the connection is then lost).
    bool ReadDiskRecords(TQHD_DISK_INFO* out, uint32_t count);
    bool ReadDriverRecords(TQHD_DRIVER_INFO* out, uint32_t count);
    // Reads `bytes` of find records into the listing buffer and links them; returns the first
    // record, or null when none arrived.
    // Takes a listing's records into this object, linked in order; false when they did not arrive.
    bool ReadListing(uint32_t bytes, uint32_t count);
    // The first record of the last listing taken, null when it had none.
    const TQHD_FIND_DATA* ListingHead() const { return m_listing.empty() ? nullptr : m_listing.data(); }
    std::string ReadText(uint32_t bytes);

private:
    // Encodes, sends and waits: the reply's status or a transport code.
    int32_t Exchange(const protocol::Request& request);

    std::vector<TQHD_FIND_DATA> m_listing;
};

}  // namespace tolvern
