// Fixed numbers of the service protocol: sizes, message kinds, request codes, transport codes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "tqhd_types.h"

namespace protocol {

// The shared section: one MiB and one byte. Transfers of more bytes use byte 0 as the flag and
// bytes 1.. as a window of S - 1 bytes.
constexpr size_t kSectionSize = 1048577;
constexpr size_t kChunkWindow = kSectionSize - 1;
// No message on a socket is longer; the receive buffers hold exactly one such message.
constexpr size_t kMessageLimit = 4096;
constexpr size_t kHeaderSize = 4;
constexpr size_t kHelloSize = 20;
constexpr size_t kReplySize = 16;
constexpr size_t kNotificationSize = 24;
constexpr size_t kAnnouncementHead = 12;
// A name in an announcement fits a 255-byte buffer with its terminator.
constexpr size_t kNameLimit = 254;

enum Kind : uint8_t {
    kKindHello = 1,
    kKindReply = 2,
    kKindAnnouncement = 3,
    kKindNotification = 34,
};

enum AnnouncementSort : uint8_t {
    kSortSessionSocket = 1,
    kSortSection = 2,
};

// Request codes: the kind byte of a request names the library call the service makes.
enum RequestCode : uint8_t {
    kGetHardDiskList = 4,
    kOpenHardDisk = 5,
    kCloseHandle = 6,
    kGetDriverList = 7,
    kOpenFindFile = 8,
    kGetFindFile = 9,
    kOpenFileByFind = 10,
    kOpenAVFileByIndexFileCon = 11,
    kOpenAVFileByFind = 12,
    kOpenAVFileByName = 13,
    kGetFileLength = 14,
    kReadFile = 15,
    kSeekFile = 16,
    kOpenHardDiskByRName = 17,
    kUnInitialize = 18,
    kGetDriverListByRName = 19,
    kOpenFindFileByRName = 20,
    kOpenFileByRName = 21,
    kOpenAVFileByRName = 22,
    kGetFileCurrentPosition = 23,
    kFormatHDDByFind = 24,
    kFormatHDDByRName = 25,
    kOpenHardDiskByDir = 26,
    kIsNvrFile = 27,
    kGetDeviceInfo = 28,
    kGetDeviceInfoByRName = 29,
    kRegistIntCallBack = 30,
    kRegistIntCallBackByRName = 31,
    kDiskCopy = 32,
    kStop = 33,
    kNotificationAnswer = 34,
    kSetExeFileName = 58,
    kGetDiskList = 60,
};

// True for the codes the service acts on (34, the notification answer, is not a request).
constexpr bool isRequestCode(uint8_t code) {
    return (code >= kGetHardDiskList && code <= kStop) || code == kSetExeFileName || code == kGetDiskList;
}

// Result codes of the transport, in the library's numbering space.
constexpr int32_t kIncomplete = static_cast<int32_t>(0x80020034);     // more bytes needed; never leaves the receiver
constexpr int32_t kBadHello = static_cast<int32_t>(0x80F00002);       // hello rejected
constexpr int32_t kWriteFailed = TQHD_E_WRITE;                        // socket write failed
constexpr int32_t kSocketClosing = static_cast<int32_t>(0x8002002E);  // write failed, the socket is closing
constexpr int32_t kReadFailed = TQHD_E_READ;                          // read failed waiting for a reply
constexpr int32_t kNotAReply = TQHD_E_FAIL;                           // the message read is not a reply
constexpr int32_t kWrongAnnouncement = TQHD_E_UNAVAILABLE;            // announcement of the wrong kind or sort
constexpr int32_t kNoSessionSocket = static_cast<int32_t>(0x8003001F);  // session socket not open in time
constexpr int32_t kSectionFailed = 4;                                 // client: opening or mapping the section
constexpr int32_t kSocketCreate = static_cast<int32_t>(0x80020023);   // service: socket creation failed
constexpr int32_t kThreadFailed = TQHD_E_THREAD;                      // service: endpoint thread not created
constexpr int32_t kNoSection = TQHD_E_NOMEM;                          // service: section not created or mapped
constexpr int32_t kListenStop = static_cast<int32_t>(0x80020021);     // client: listener told to stop
// A message whose length field is below the header or above the limit, or whose body does not
// match its code: the receiver drops the connection.
constexpr int32_t kMalformed = TQHD_E_PARAM;

// Status words the dispatcher sets on failed opens.
constexpr uint32_t kOpenFailedStatus = 0x80FF0000;
constexpr uint32_t kDiskOpenFailedStatus = 1;

}  // namespace protocol
