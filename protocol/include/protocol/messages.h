// The fixed messages: header, hello, reply, channel announcement, notification.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "protocol/constants.h"

namespace protocol {

// 0 u8 kind (or request code), 1 u8 reserved, 2 u16 total length.
struct Header {
    uint8_t kind = 0;
    uint16_t length = 0;
};
// The header at the start of `bytes`; nothing when fewer than 4 bytes are there.
std::optional<Header> decodeHeader(std::span<const uint8_t> bytes);

// The hello, 20 bytes: 1, 0, 20, "KXVO_SCN", u32 1, u8 2, three zeros. Sent on both sockets.
using Hello = std::array<uint8_t, kHelloSize>;
Hello makeHello();
// The first hello's checks: kind 1, length 20, the tag at 4..11 and byte 16 = 2. Bytes 12..15
// and 17..19 are not checked. 0, kIncomplete (fewer than 20 bytes) or kBadHello.
int32_t checkFirstHello(std::span<const uint8_t> bytes);
// The repeated hello must equal the accepted one byte for byte: 0, kIncomplete or kBadHello.
int32_t checkRepeatedHello(std::span<const uint8_t> bytes, const Hello& key);

// 16 bytes: 2, 0, 16, then status, extra, value.
struct Reply {
    uint32_t status = 0;
    uint32_t extra = 0;
    uint32_t value = 0;
};
std::array<uint8_t, kReplySize> encodeReply(const Reply& reply);
// Nothing unless the bytes hold a whole message of kind 2 and length 16.
std::optional<Reply> decodeReply(std::span<const uint8_t> message);

// 12 + n bytes: 3, 0, 12 + n, 0, sort, u16 n, four reserved bytes, the name.
struct Announcement {
    uint8_t sort = 0;
    std::string name;
};
// Empty when the name is longer than kNameLimit.
std::vector<uint8_t> encodeAnnouncement(const Announcement& announcement);
// Nothing unless kind 3, length 12 + n, n <= kNameLimit.
std::optional<Announcement> decodeAnnouncement(std::span<const uint8_t> message);

// 24 bytes: 34, 0, 24, three zero words, then the event record (code, value). The client's
// answer has the same form with the value its handlers left.
std::array<uint8_t, kNotificationSize> encodeNotification(const TQHD_EVENT& event);
// Nothing unless kind 34 and length 24.
std::optional<TQHD_EVENT> decodeNotification(std::span<const uint8_t> message);

}  // namespace protocol
