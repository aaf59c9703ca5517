// Requests that start or steer disk workers: formatting, copying, stopping, and the
// subscription that carries their events to the client.
#include <cstring>

#include "service_io.h"
#include "subscribers.h"

namespace halvex {

void CServiceIO::HandleMaintenance(const protocol::Request& request) {
    switch (request.code) {
    case protocol::kFormatHDDByFind: case protocol::kFormatHDDByRName: return Format(request);
    case protocol::kRegistIntCallBack: case protocol::kRegistIntCallBackByRName: return Subscribe(request);
    case protocol::kDiskCopy: return DiskCopy(request);
    case protocol::kStop: reply_.value = static_cast<uint32_t>(TQHD_Stop(Resolve(request.handle, HandleKind::Disk))); return;
    default: return;
    }
}

// The section is the text buffer the library writes the list of programs using the disk into.
void CServiceIO::Format(const protocol::Request& request) {
    int32_t status = 0;
    char* text = reinterpret_cast<char*>(section_.data());
    const auto capacity = static_cast<int32_t>(section_.size());
    const uint8_t force = request.number == 1 ? 1 : 0;
    text[0] = '\0';  // the library appends to the text; what an earlier transfer left is no text
    TQHD_HANDLE job = request.code == protocol::kFormatHDDByFind
                          ? TQHD_FormatHDDByFind(&request.disk, &status, force, text, capacity)
                          : TQHD_FormatHDDByRName(request.text.c_str(), &status, force, text, capacity);
    reply_.value = Publish(job, HandleKind::Disk);
    reply_.status = static_cast<uint32_t>(status);
    if (request.code == protocol::kFormatHDDByRName) {
        reply_.extra = static_cast<uint32_t>(capacity);
    } else if (status == TQHD_E_INUSE) {
        reply_.extra = static_cast<uint32_t>(strnlen(text, section_.size()));
    }
}

// The session joins the subscriber list after its reply is written, so no notification can
// reach the client before the reply it waits for.
void CServiceIO::Subscribe(const protocol::Request& request) {
    const uint32_t userValue = static_cast<uint32_t>(serial_);
    const int32_t result = request.code == protocol::kRegistIntCallBack
                               ? TQHD_RegistIntCallBack(Resolve(request.handle, HandleKind::Disk), userValue, EventRelay)
                               : TQHD_RegistIntCallBackByRName(request.text.c_str(), userValue, EventRelay);
    reply_.value = static_cast<uint32_t>(result);
    subscribeAfterReply_ = result == TQHD_OK;
}

void CServiceIO::DiskCopy(const protocol::Request& request) {
    auto drives = protocol::decodeCopyDrives(request);
    if (!drives) {
        reply_.status = static_cast<uint32_t>(TQHD_E_PARAM);
        return;
    }
    int32_t status = 0;
    reply_.value = Publish(TQHD_DiskCopy(drives->source, drives->target, &status), HandleKind::Disk);
    reply_.status = static_cast<uint32_t>(status);
}

}  // namespace halvex
