// One layout table for every request code, used to build requests and to decode them.
#include "protocol/requests.h"

#include <charconv>

#include "nvr/byte_reader.h"
#include "protocol/records.h"

namespace protocol {
namespace {

// How a code's body is laid out (offsets from the start of the message).
enum class Layout {
    Bare,          // 4: nothing
    DiskInfo,      // 84: 4 disk record
    Handle,        // 8: 4 handle
    FindOpen,      // 292: 4 handle, 8 i64 volume, 16 find record
    HandleFind,    // 284: 4 handle, 8 find record
    HandleCount,   // 12: 4 handle, 8 count
    NameMode,      // 20 + n: 4 i64 second argument, 12 n, 16 zero, 20 text
    Seek,          // 24: 4 handle, 8 origin, 12 zero, 16 i64 offset
    Text,          // 8 + n: 4 n, 8 text
    FormatFind,    // 85: 4 disk record, 84 u8 force
    NumberText,    // 12 + n: 4 number, 8 n, 12 text
    DeviceInfo,    // 88: 4 disk record, 84 selector
    TwoTexts,      // 12 + n1 + n2: 4 n2, 8 n1, 12 first text, 12 + n1 second text
    HandleText,    // 12 + n: 4 handle, 8 n, 12 text
};

Layout layoutOf(uint8_t code) {
    switch (code) {
    case kOpenHardDisk: return Layout::DiskInfo;
    case kCloseHandle: case kGetDriverList: case kGetFindFile: case kGetFileLength: case kGetFileCurrentPosition:
    case kRegistIntCallBack: case kStop: return Layout::Handle;
    case kOpenFindFile: return Layout::FindOpen;
    case kOpenFileByFind: case kOpenAVFileByFind: return Layout::HandleFind;
    case kOpenAVFileByIndexFileCon: case kReadFile: return Layout::HandleCount;
    case kOpenAVFileByName: return Layout::NameMode;
    case kSeekFile: return Layout::Seek;
    case kOpenHardDiskByRName: case kGetDriverListByRName: case kOpenFindFileByRName: case kOpenFileByRName:
    case kOpenAVFileByRName: case kOpenHardDiskByDir: case kIsNvrFile: case kRegistIntCallBackByRName:
        return Layout::Text;
    case kFormatHDDByFind: return Layout::FormatFind;
    case kFormatHDDByRName: case kGetDeviceInfoByRName: return Layout::NumberText;
    case kGetDeviceInfo: return Layout::DeviceInfo;
    case kDiskCopy: return Layout::TwoTexts;
    case kSetExeFileName: return Layout::HandleText;
    default: return Layout::Bare;
    }
}

// The fixed part of each layout, texts excluded.
size_t fixedSize(Layout layout) {
    switch (layout) {
    case Layout::Bare: return 4;
    case Layout::DiskInfo: return 4 + kDiskInfoSize;
    case Layout::Handle: return 8;
    case Layout::FindOpen: return 16 + kFindDataSize;
    case Layout::HandleFind: return 8 + kFindDataSize;
    case Layout::HandleCount: return 12;
    case Layout::NameMode: return 20;
    case Layout::Seek: return 24;
    case Layout::Text: return 8;
    case Layout::FormatFind: return 5 + kDiskInfoSize;
    case Layout::NumberText: return 12;
    case Layout::DeviceInfo: return 8 + kDiskInfoSize;
    case Layout::TwoTexts: return 12;
    case Layout::HandleText: return 12;
    }
    return 4;
}

std::span<uint8_t> at(std::vector<uint8_t>& bytes, size_t offset) { return std::span<uint8_t>(bytes).subspan(offset); }

void writeText(std::vector<uint8_t>& bytes, size_t countOffset, size_t textOffset, const std::string& text) {
    nvr::ByteWriter writer(bytes);
    writer.u32le(countOffset, static_cast<uint32_t>(text.size()));
    writer.copy(textOffset, text.data(), text.size());
}

void encodeBody(const Request& request, Layout layout, std::vector<uint8_t>& bytes) {
    nvr::ByteWriter writer(bytes);
    switch (layout) {
    case Layout::Bare: break;
    case Layout::DiskInfo: encodeDiskInfo(request.disk, at(bytes, 4)); break;
    case Layout::Handle: writer.u32le(4, request.handle); break;
    case Layout::FindOpen:
        writer.u32le(4, request.handle);
        writer.u64le(8, static_cast<uint64_t>(request.wide));
        encodeFindData(request.find, at(bytes, 16));
        break;
    case Layout::HandleFind:
        writer.u32le(4, request.handle);
        encodeFindData(request.find, at(bytes, 8));
        break;
    case Layout::HandleCount:
        writer.u32le(4, request.handle);
        writer.u32le(8, request.number);
        break;
    case Layout::NameMode:
        writer.u64le(4, static_cast<uint64_t>(request.wide));
        writeText(bytes, 12, 20, request.text);
        break;
    case Layout::Seek:
        writer.u32le(4, request.handle);
        writer.u32le(8, request.number);
        writer.u64le(16, static_cast<uint64_t>(request.wide));
        break;
    case Layout::Text: writeText(bytes, 4, 8, request.text); break;
    case Layout::FormatFind:
        encodeDiskInfo(request.disk, at(bytes, 4));
        writer.u8(84, request.number == 1 ? 1 : 0);
        break;
    case Layout::NumberText:
        writer.u32le(4, request.number);
        writeText(bytes, 8, 12, request.text);
        break;
    case Layout::DeviceInfo:
        encodeDiskInfo(request.disk, at(bytes, 4));
        writer.u32le(84, request.number);
        break;
    case Layout::TwoTexts:
        writer.u32le(4, static_cast<uint32_t>(request.secondText.size()));
        writer.u32le(8, static_cast<uint32_t>(request.text.size()));
        writer.copy(12, request.text.data(), request.text.size());
        writer.copy(12 + request.text.size(), request.secondText.data(), request.secondText.size());
        break;
    case Layout::HandleText:
        writer.u32le(4, request.handle);
        writeText(bytes, 8, 12, request.text);
        break;
    }
}

// The counted text of `count` bytes at `offset`; false when it runs past the message.
bool readText(std::span<const uint8_t> message, size_t offset, uint32_t count, std::string& out) {
    if (offset > message.size() || count > message.size() - offset) return false;
    out.assign(reinterpret_cast<const char*>(message.data()) + offset, count);
    return true;
}

bool decodeTexts(std::span<const uint8_t> message, Layout layout, Request& request) {
    nvr::ByteReader reader(message);
    switch (layout) {
    case Layout::NameMode: return readText(message, 20, reader.u32le(12), request.text);
    case Layout::Text: return readText(message, 8, reader.u32le(4), request.text);
    case Layout::NumberText: return readText(message, 12, reader.u32le(8), request.text);
    case Layout::HandleText: return readText(message, 12, reader.u32le(8), request.text);
    case Layout::TwoTexts: {
        const uint32_t first = reader.u32le(8);
        return readText(message, 12, first, request.text) &&
               readText(message, 12 + static_cast<size_t>(first), reader.u32le(4), request.secondText);
    }
    default: return true;
    }
}

void decodeFixed(std::span<const uint8_t> message, Layout layout, Request& request) {
    nvr::ByteReader reader(message);
    request.handle = reader.u32le(4);
    switch (layout) {
    case Layout::DiskInfo: case Layout::FormatFind: case Layout::DeviceInfo:
        request.handle = 0;
        request.disk = decodeDiskInfo(message.subspan(4));
        request.number = layout == Layout::FormatFind ? reader.u8(84) : reader.u32le(84);
        break;
    case Layout::FindOpen:
        request.wide = static_cast<int64_t>(reader.u64le(8));
        request.find = decodeFindData(message.subspan(16));
        break;
    case Layout::HandleFind: request.find = decodeFindData(message.subspan(8)); break;
    case Layout::HandleCount: request.number = reader.u32le(8); break;
    case Layout::NameMode: request.handle = 0; request.wide = static_cast<int64_t>(reader.u64le(4)); break;
    case Layout::Seek:
        request.number = reader.u32le(8);
        request.wide = static_cast<int64_t>(reader.u64le(16));
        break;
    case Layout::NumberText: request.handle = 0; request.number = reader.u32le(4); break;
    case Layout::Bare: case Layout::Text: case Layout::TwoTexts: request.handle = 0; break;
    default: break;
    }
}

// The bytes of the counted texts a layout carries.
size_t textBytes(const Request& request, Layout layout) {
    switch (layout) {
    case Layout::NameMode: case Layout::Text: case Layout::NumberText: case Layout::HandleText:
        return request.text.size();
    case Layout::TwoTexts: return request.text.size() + request.secondText.size();
    default: return 0;
    }
}

bool parseDrive(const std::string& text, int32_t& out) {
    if (text.empty()) return false;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, out);
    return error == std::errc() && stop == end;
}

}  // namespace

nvr::Result<std::vector<uint8_t>> encodeRequest(const Request& request) {
    const Layout layout = isRequestCode(request.code) ? layoutOf(request.code) : Layout::Bare;
    const size_t length = fixedSize(layout) + textBytes(request, layout);
    if (length > kMessageLimit) return nvr::fail(kMalformed);
    std::vector<uint8_t> bytes(length, 0);
    nvr::ByteWriter writer(bytes);
    writer.u8(0, request.code);
    writer.u16le(2, static_cast<uint16_t>(length));
    encodeBody(request, layout, bytes);
    return bytes;
}

nvr::Result<Request> decodeRequest(std::span<const uint8_t> message) {
    if (message.size() < kHeaderSize || message.size() > kMessageLimit) return nvr::fail(kMalformed);
    Request request;
    request.code = message[0];
    if (!isRequestCode(request.code)) return request;
    const Layout layout = layoutOf(request.code);
    if (message.size() < fixedSize(layout)) return nvr::fail(kMalformed);
    decodeFixed(message, layout, request);
    if (!decodeTexts(message, layout, request)) return nvr::fail(kMalformed);
    return request;
}

Request makeDiskCopyRequest(int32_t source, int32_t target) {
    Request request;
    request.code = kDiskCopy;
    request.text = std::to_string(source);
    request.secondText = std::to_string(target);
    return request;
}

nvr::Result<CopyDrives> decodeCopyDrives(const Request& request) {
    CopyDrives drives;
    if (request.code != kDiskCopy || !parseDrive(request.text, drives.source) ||
        !parseDrive(request.secondText, drives.target)) {
        return nvr::fail(kMalformed);
    }
    return drives;
}

}  // namespace protocol
