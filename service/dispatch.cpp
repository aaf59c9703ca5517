// The dispatcher: one request, one library call, one reply; data beyond the section follows the
// reply as a chunked transfer.
#include "protocol/section_transfer.h"
#include "service_io.h"
#include "subscribers.h"

namespace halvex {

int32_t CServiceIO::OnData() {
    for (;;) {
        const protocol::MessageView view = received_.front();
        if (view.state == protocol::MessageState::Incomplete) return protocol::kIncomplete;
        if (view.state == protocol::MessageState::Malformed) return protocol::kMalformed;
        const size_t length = view.bytes.size();
        const int32_t result = Dispatch(view.bytes);
        received_.consume(length);
        if (result != 0) return result;
        if (subscribed_) {
            received_.clear();  // from now on the socket carries notifications only
            return 0;
        }
    }
}

int32_t CServiceIO::Dispatch(std::span<const uint8_t> message) {
    auto request = protocol::decodeRequest(message);
    if (!request) return request.code();
    if (request->code == protocol::kNotificationAnswer) return 0;  // a late answer: absorbed
    reply_ = {};
    bulk_.clear();
    subscribeAfterReply_ = false;
    Handle(request.value());
    std::lock_guard lock(exchangeMutex_);
    if (!WriteMessage(protocol::encodeReply(reply_))) return protocol::kWriteFailed;
    if (!bulk_.empty() && protocol::sendChunked(SectionView(), bulk_, Guard()) != 0) return protocol::kWriteFailed;
    bulk_ = {};
    if (subscribeAfterReply_ && !subscribed_) {
        subscribed_ = true;
        Subscribers::instance().add(shared_from_this());
    }
    return 0;
}

void CServiceIO::Handle(const protocol::Request& request) {
    switch (request.code) {
    case protocol::kGetHardDiskList: case protocol::kGetDiskList: case protocol::kOpenHardDisk:
    case protocol::kOpenHardDiskByRName: case protocol::kOpenHardDiskByDir: case protocol::kGetDriverList:
    case protocol::kGetDriverListByRName: case protocol::kGetDeviceInfo: case protocol::kGetDeviceInfoByRName:
    case protocol::kUnInitialize: case protocol::kIsNvrFile: case protocol::kSetExeFileName:
        return HandleInventory(request);
    case protocol::kFormatHDDByFind: case protocol::kFormatHDDByRName: case protocol::kRegistIntCallBack:
    case protocol::kRegistIntCallBackByRName: case protocol::kDiskCopy: case protocol::kStop:
        return HandleMaintenance(request);
    default:
        if (protocol::isRequestCode(request.code)) return HandleFiles(request);
        return;  // not a request: the reply carries three zero words
    }
}

// Data of a reply: at most S bytes at offset 0 before the reply; more after it, chunked, with
// the flag armed before the reply is written.
void CServiceIO::SendBulk(std::vector<uint8_t> data) {
    if (data.size() <= protocol::kSectionSize) {
        protocol::placeInSection(SectionView(), data);
        return;
    }
    protocol::armChunkedTransfer(SectionView());
    bulk_ = std::move(data);
}

uint32_t CServiceIO::Publish(TQHD_HANDLE handle, HandleKind kind) { return handles_.add(handle, kind, serial_); }

TQHD_HANDLE CServiceIO::Resolve(uint32_t number, HandleKind kind) const {
    return handles_.resolve(number, serial_, kind);
}

}  // namespace halvex
