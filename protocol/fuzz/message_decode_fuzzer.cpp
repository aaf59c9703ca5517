// Fuzzes message decoding as the service meets it: bytes arrive in pieces of any size, whole
// messages are taken from the receive buffer and decoded as hellos, requests, replies,
// announcements and notifications. Nothing reads past a message, and a decoded request encodes
// again to a request that decodes to the same fields.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "protocol/messages.h"
#include "protocol/receive_buffer.h"
#include "protocol/requests.h"

namespace {

void checkRoundTrip(const protocol::Request& request) {
    auto encoded = protocol::encodeRequest(request);
    if (!encoded) std::abort();  // it came from a message of the same layout, so it fits
    auto again = protocol::decodeRequest(encoded.value());
    if (!again) std::abort();
    if (again->code != request.code || again->text != request.text || again->secondText != request.secondText) std::abort();
    if (again->handle != request.handle || again->wide != request.wide) std::abort();
}

void decodeMessage(std::span<const uint8_t> message) {
    // An exact-size copy, so any read past the message meets the sanitizer's redzone.
    const std::vector<uint8_t> bytes(message.begin(), message.end());
    (void)protocol::checkFirstHello(bytes);
    (void)protocol::decodeReply(bytes);
    (void)protocol::decodeAnnouncement(bytes);
    (void)protocol::decodeNotification(bytes);
    auto request = protocol::decodeRequest(bytes);
    if (request) checkRoundTrip(request.value());
    if (request && request->code == protocol::kDiskCopy) (void)protocol::decodeCopyDrives(request.value());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks the piece size, so partial messages are exercised too.
    const size_t piece = 1 + data[0] % 97;
    protocol::ReceiveBuffer buffer;
    for (size_t offset = 1; offset < size;) {
        const auto room = buffer.freeSpace();
        const size_t count = std::min({piece, size - offset, room.size()});
        std::memcpy(room.data(), data + offset, count);
        buffer.added(count);
        offset += count;
        for (auto view = buffer.front(); view.state != protocol::MessageState::Incomplete; view = buffer.front()) {
            if (view.state == protocol::MessageState::Malformed) return 0;  // the service disconnects here
            decodeMessage(view.bytes);
            buffer.consume(view.bytes.size());
        }
    }
    return 0;
}
