// Requests about directories and files: opens, listings, reads, seeks, positions and closes.
#include <new>

#include "protocol/records.h"
#include "protocol/section_transfer.h"
#include "service_io.h"

namespace halvex {
namespace {

// A listing is a chain the library links through pNext; no directory holds more entries than this.
constexpr size_t kListingBound = 16u << 20;
// A large read of a file whose length is unknown gets at most this much at once.
constexpr size_t kUnknownLengthRead = 64u << 20;

void splitWide(int64_t value, protocol::Reply& reply) {
    reply.extra = static_cast<uint32_t>(static_cast<uint64_t>(value));
    reply.value = static_cast<uint32_t>(static_cast<uint64_t>(value) >> 32);
}

}  // namespace

void CServiceIO::HandleFiles(const protocol::Request& request) {
    const char* name = request.text.c_str();
    TQHD_HANDLE disk = Resolve(request.handle, HandleKind::Disk);
    TQHD_HANDLE file = Resolve(request.handle, HandleKind::File);
    uint32_t opened = 0;
    switch (request.code) {
    case protocol::kCloseHandle: return CloseHandle(request.handle);
    case protocol::kOpenFindFile: return OpenFind(request);
    case protocol::kGetFindFile: return Listing(request);
    case protocol::kOpenFileByFind: opened = Publish(TQHD_OpenFileByFind(disk, &request.find), HandleKind::File); break;
    case protocol::kOpenAVFileByFind: opened = Publish(TQHD_OpenAVFileByFind(disk, &request.find), HandleKind::File); break;
    case protocol::kOpenAVFileByIndexFileCon: return IndexFileOpen(request);
    case protocol::kOpenAVFileByName:
        opened = Publish(TQHD_OpenAVFileByName(name, static_cast<int32_t>(request.wide)), HandleKind::File);
        break;
    // A disk handle answers with its drive's length, as the library does for a direct caller.
    case protocol::kGetFileLength:
        return splitWide(TQHD_GetFileLength(handles_.resolveAny(request.handle, serial_)), reply_);
    case protocol::kGetFileCurrentPosition: return splitWide(TQHD_GetFileCurrentPosition(file), reply_);
    case protocol::kReadFile: return ReadFile(request);
    case protocol::kSeekFile:
        reply_.status = static_cast<uint32_t>(
            TQHD_SeekFile(file, static_cast<int32_t>(request.wide), static_cast<int32_t>(request.number)));
        return;
    case protocol::kOpenFindFileByRName: reply_.value = Publish(TQHD_OpenFindFileByRName(name), HandleKind::Directory); return;
    case protocol::kOpenFileByRName: reply_.value = Publish(TQHD_OpenFileByRName(name), HandleKind::File); return;
    case protocol::kOpenAVFileByRName: reply_.value = Publish(TQHD_OpenAVFileByRName(name), HandleKind::File); return;
    default: return;
    }
    reply_.value = opened;
    if (opened == 0) reply_.status = protocol::kOpenFailedStatus;
}

// Closes one of the session's own handles. A disk number is accepted and left alone, as the
// library does with disk handles; any other number is not this session's to close.
void CServiceIO::CloseHandle(uint32_t number) {
    if (TQHD_HANDLE own = handles_.take(number, serial_)) {
        reply_.status = static_cast<uint32_t>(TQHD_CloseHandle(own));
        return;
    }
    if (number != 0 && !handles_.isDisk(number)) reply_.status = static_cast<uint32_t>(TQHD_E_BADHANDLE);
}

void CServiceIO::OpenFind(const protocol::Request& request) {
    const bool withRecord = request.find.lInode != 0;
    TQHD_HANDLE directory = TQHD_OpenFindFile(Resolve(request.handle, HandleKind::Disk), withRecord ? &request.find : nullptr,
                                              static_cast<int32_t>(request.wide));
    reply_.value = Publish(directory, HandleKind::Directory);
    if (reply_.value == 0) reply_.status = protocol::kOpenFailedStatus;
}

void CServiceIO::Listing(const protocol::Request& request) {
    findRecord_ = {};
    const int32_t status = TQHD_GetFindFile(Resolve(request.handle, HandleKind::Directory), &findRecord_);
    reply_.status = static_cast<uint32_t>(status);
    if (status != TQHD_OK) return;
    std::vector<uint8_t> bytes;
    size_t count = 0;
    for (const TQHD_FIND_DATA* record = &findRecord_; record != nullptr && count < kListingBound; record = record->pNext) {
        bytes.resize(bytes.size() + protocol::kFindDataSize);
        protocol::encodeFindData(*record, std::span<uint8_t>(bytes).last(protocol::kFindDataSize));
        ++count;
    }
    reply_.extra = static_cast<uint32_t>(bytes.size());
    reply_.value = static_cast<uint32_t>(count);
    SendBulk(std::move(bytes));
}

// Up to S bytes go from the library straight into the section. Larger reads go through a
// buffer no larger than what is left of the file (a client cannot make the service allocate
// more than the file holds), then follow the reply in chunks.
void CServiceIO::ReadFile(const protocol::Request& request) {
    TQHD_HANDLE file = Resolve(request.handle, HandleKind::File);
    const int32_t wanted = static_cast<int32_t>(request.number);
    if (request.number <= protocol::kSectionSize) {
        reply_.value = static_cast<uint32_t>(TQHD_ReadFile(file, section_.data(), wanted));
        return;
    }
    if (wanted < 0 || file == nullptr) {
        reply_.value = static_cast<uint32_t>(-1);  // no file of this session, or more than a read can ask for
        return;
    }
    const int64_t length = TQHD_GetFileLength(file);
    const int64_t position = TQHD_GetFileCurrentPosition(file);
    size_t size = std::min<size_t>(request.number, kUnknownLengthRead);
    if (length >= 0 && position >= 0) size = static_cast<size_t>(std::clamp<int64_t>(length - position, 0, request.number));
    std::vector<uint8_t> buffer;
    try {
        buffer.resize(std::max<size_t>(size, 1));
    } catch (const std::bad_alloc&) {
        reply_.value = static_cast<uint32_t>(-1);
        return;
    }
    const int32_t got = TQHD_ReadFile(file, buffer.data(), static_cast<int32_t>(std::min<size_t>(buffer.size(), request.number)));
    reply_.value = static_cast<uint32_t>(got);
    if (got <= 0) return;
    buffer.resize(std::min(static_cast<size_t>(got), buffer.size()));
    SendBulk(std::move(buffer));
}

// The client placed the index data in the section before the request; it must fit there.
void CServiceIO::IndexFileOpen(const protocol::Request& request) {
    reply_.status = protocol::kOpenFailedStatus;
    if (request.number > protocol::kSectionSize) return;
    std::vector<uint8_t> index(request.number);
    protocol::takeFromSection(SectionView(), index);
    TQHD_HANDLE recording = TQHD_OpenAVFileByIndexFileCon(Resolve(request.handle, HandleKind::Disk),
                                                          reinterpret_cast<char*>(index.data()), request.number);
    reply_.value = Publish(recording, HandleKind::File);
    if (reply_.value != 0) reply_.status = 0;
}

}  // namespace halvex
