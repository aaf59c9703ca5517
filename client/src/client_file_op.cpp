// One method per request: fill the request record, encode it with the protocol's layout table,
// send it, wait for the reply.
#include "client_file_op.h"

#include <algorithm>
#include <cstring>

#include "protocol/records.h"
#include "protocol/requests.h"

namespace tolvern {
namespace {

using protocol::Request;

Request Make(uint8_t code) {
    Request request;
    request.code = code;
    return request;
}

Request WithHandle(uint8_t code, uint32_t handle) {
    Request request = Make(code);
    request.handle = handle;
    return request;
}

Request WithText(uint8_t code, std::string_view text) {
    Request request = Make(code);
    request.text.assign(text);
    return request;
}

}  // namespace

CClientFileOp::~CClientFileOp() = default;

int32_t CClientFileOp::Exchange(const Request& request) {
    const nvr::Result<std::vector<uint8_t>> bytes = protocol::encodeRequest(request);
    if (!bytes) return bytes.code();  // a text too long for one message
    const int32_t sent = Send(bytes.value());
    if (sent != 0) return sent;
    return WaitForReply();
}

int32_t CClientFileOp::GetHardDiskList() { return Exchange(Make(protocol::kGetHardDiskList)); }
int32_t CClientFileOp::GetDiskList() { return Exchange(Make(protocol::kGetDiskList)); }
int32_t CClientFileOp::UnInitialize() { return Exchange(Make(protocol::kUnInitialize)); }

int32_t CClientFileOp::OpenHardDisk(const TQHD_DISK_INFO& info) {
    Request request = Make(protocol::kOpenHardDisk);
    request.disk = info;
    return Exchange(request);
}

int32_t CClientFileOp::OpenHardDiskByRName(std::string_view name) {
    return Exchange(WithText(protocol::kOpenHardDiskByRName, name));
}
int32_t CClientFileOp::OpenHardDiskByDir(std::string_view directory) {
    return Exchange(WithText(protocol::kOpenHardDiskByDir, directory));
}

int32_t CClientFileOp::FormatHDDByFind(const TQHD_DISK_INFO& info, bool force) {
    Request request = Make(protocol::kFormatHDDByFind);
    request.disk = info;
    request.number = force ? 1 : 0;
    return Exchange(request);
}

int32_t CClientFileOp::FormatHDDByRName(std::string_view name, bool force) {
    Request request = WithText(protocol::kFormatHDDByRName, name);
    request.number = force ? 1 : 0;
    return Exchange(request);
}

int32_t CClientFileOp::CloseHandle(uint32_t handle) { return Exchange(WithHandle(protocol::kCloseHandle, handle)); }
int32_t CClientFileOp::GetDriverList(uint32_t disk) { return Exchange(WithHandle(protocol::kGetDriverList, disk)); }
int32_t CClientFileOp::GetDriverListByRName(std::string_view name) {
    return Exchange(WithText(protocol::kGetDriverListByRName, name));
}

int32_t CClientFileOp::OpenFindFile(uint32_t disk, const TQHD_FIND_DATA* from, int32_t volume) {
    Request request = WithHandle(protocol::kOpenFindFile, disk);
    request.wide = volume;
    if (from != nullptr) request.find = *from;
    return Exchange(request);
}

int32_t CClientFileOp::OpenFindFileByRName(std::string_view name) {
    return Exchange(WithText(protocol::kOpenFindFileByRName, name));
}
int32_t CClientFileOp::GetFindFile(uint32_t directory) { return Exchange(WithHandle(protocol::kGetFindFile, directory)); }

int32_t CClientFileOp::OpenFileByFind(uint32_t disk, const TQHD_FIND_DATA& record) {
    Request request = WithHandle(protocol::kOpenFileByFind, disk);
    request.find = record;
    return Exchange(request);
}

int32_t CClientFileOp::OpenAVFileByIndexFileCon(uint32_t disk, uint32_t length) {
    Request request = WithHandle(protocol::kOpenAVFileByIndexFileCon, disk);
    request.number = length;
    return Exchange(request);
}

int32_t CClientFileOp::OpenAVFileByFind(uint32_t disk, const TQHD_FIND_DATA& record) {
    Request request = WithHandle(protocol::kOpenAVFileByFind, disk);
    request.find = record;
    return Exchange(request);
}

int32_t CClientFileOp::OpenAVFileByName(std::string_view path, int32_t mode) {
    Request request = WithText(protocol::kOpenAVFileByName, path);
    request.wide = mode;
    return Exchange(request);
}

int32_t CClientFileOp::IsNvrFile(std::string_view path) { return Exchange(WithText(protocol::kIsNvrFile, path)); }

int32_t CClientFileOp::GetDeviceInfo(const TQHD_DISK_INFO& info, int32_t kind) {
    Request request = Make(protocol::kGetDeviceInfo);
    request.disk = info;
    request.number = static_cast<uint32_t>(kind);
    return Exchange(request);
}

int32_t CClientFileOp::GetDeviceInfoByRName(std::string_view name, int32_t kind) {
    Request request = WithText(protocol::kGetDeviceInfoByRName, name);
    request.number = static_cast<uint32_t>(kind);
    return Exchange(request);
}

int32_t CClientFileOp::OpenFileByRName(std::string_view name) {
    return Exchange(WithText(protocol::kOpenFileByRName, name));
}
int32_t CClientFileOp::OpenAVFileByRName(std::string_view name) {
    return Exchange(WithText(protocol::kOpenAVFileByRName, name));
}
int32_t CClientFileOp::GetFileLength(uint32_t file) { return Exchange(WithHandle(protocol::kGetFileLength, file)); }

int32_t CClientFileOp::ReadFile(uint32_t file, uint32_t length) {
    Request request = WithHandle(protocol::kReadFile, file);
    request.number = length;
    return Exchange(request);
}

int32_t CClientFileOp::SeekFile(uint32_t file, int32_t offset, int32_t origin) {
    Request request = WithHandle(protocol::kSeekFile, file);
    request.number = static_cast<uint32_t>(origin);
    request.wide = offset;
    return Exchange(request);
}

int32_t CClientFileOp::GetFileCurrentPosition(uint32_t file) {
    return Exchange(WithHandle(protocol::kGetFileCurrentPosition, file));
}

int32_t CClientFileOp::DiskCopy(int32_t source, int32_t target) {
    return Exchange(protocol::makeDiskCopyRequest(source, target));
}

int32_t CClientFileOp::Stop(uint32_t job) { return Exchange(WithHandle(protocol::kStop, job)); }

int32_t CClientFileOp::SetExeFileName(uint32_t handle, std::string_view path) {
    Request request = WithText(protocol::kSetExeFileName, path);
    request.handle = handle;
    return Exchange(request);
}

int32_t CClientFileOp::RegistIntCallBack(uint32_t disk) {
    return Exchange(WithHandle(protocol::kRegistIntCallBack, disk));
}
int32_t CClientFileOp::RegistIntCallBackByRName(std::string_view name) {
    return Exchange(WithText(protocol::kRegistIntCallBackByRName, name));
}

bool CClientFileOp::ReadDiskRecords(TQHD_DISK_INFO* out, uint32_t count) {
    std::vector<uint8_t> bytes(size_t{count} * protocol::kDiskInfoSize);
    if (!SectionRead(bytes.data(), bytes.size())) return false;
    for (uint32_t index = 0; index < count; ++index)
        out[index] = protocol::decodeDiskInfo(std::span<const uint8_t>(bytes).subspan(index * protocol::kDiskInfoSize));
    return true;
}

bool CClientFileOp::ReadDriverRecords(TQHD_DRIVER_INFO* out, uint32_t count) {
    std::vector<uint8_t> bytes(size_t{count} * protocol::kDriverInfoSize);
    if (!SectionRead(bytes.data(), bytes.size())) return false;
    for (uint32_t index = 0; index < count; ++index)
        out[index] =
            protocol::decodeDriverInfo(std::span<const uint8_t>(bytes).subspan(index * protocol::kDriverInfoSize));
    return true;
}

bool CClientFileOp::ReadListing(uint32_t bytes, uint32_t count) {
    m_listing.clear();
    std::vector<uint8_t> raw(bytes);
    if (!SectionRead(raw.data(), raw.size())) return false;
    const size_t records = std::min<size_t>(count, bytes / protocol::kFindDataSize);
    m_listing.reserve(records);
    for (size_t index = 0; index < records; ++index)
        m_listing.push_back(protocol::decodeFindData(std::span<const uint8_t>(raw).subspan(index * protocol::kFindDataSize)));
    for (size_t index = 0; index + 1 < m_listing.size(); ++index) m_listing[index].pNext = &m_listing[index + 1];
    if (!m_listing.empty()) m_listing.back().pNext = nullptr;
    return true;
}

std::string CClientFileOp::ReadText(uint32_t bytes) {
    // The service's text is at most the section's size; the part up to its terminator counts.
    std::string text(std::min<size_t>(bytes, protocol::kSectionSize), '\0');
    if (!SectionRead(text.data(), text.size())) return {};
    text.resize(strnlen(text.c_str(), text.size()));
    return text;
}

}  // namespace tolvern
