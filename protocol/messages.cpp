// The fixed messages of the protocol, encoded and checked field by field.
#include "protocol/messages.h"

#include <algorithm>
#include <cstring>

#include "nvr/byte_reader.h"

namespace protocol {
namespace {

constexpr char kHelloTag[8] = {'K', 'X', 'V', 'O', '_', 'S', 'C', 'N'};
constexpr size_t kHelloTagOffset = 4;
constexpr size_t kHelloVersionOffset = 12;
constexpr size_t kHelloRoleOffset = 16;
constexpr uint8_t kHelloRole = 2;

void writeHeader(nvr::ByteWriter& writer, uint8_t kind, size_t length) {
    writer.u8(0, kind);
    writer.u8(1, 0);
    writer.u16le(2, static_cast<uint16_t>(length));
}

// The header of a whole message of `kind` whose length field equals the span's size.
bool isWhole(std::span<const uint8_t> message, uint8_t kind) {
    const auto header = decodeHeader(message);
    return header && header->kind == kind && header->length == message.size();
}

}  // namespace

std::optional<Header> decodeHeader(std::span<const uint8_t> bytes) {
    if (bytes.size() < kHeaderSize) return std::nullopt;
    nvr::ByteReader reader(bytes);
    return Header{reader.u8(0), reader.u16le(2)};
}

Hello makeHello() {
    Hello hello{};
    nvr::ByteWriter writer(hello);
    writeHeader(writer, kKindHello, kHelloSize);
    writer.copy(kHelloTagOffset, kHelloTag, sizeof kHelloTag);
    writer.u32le(kHelloVersionOffset, 1);
    writer.u8(kHelloRoleOffset, kHelloRole);
    return hello;
}

int32_t checkFirstHello(std::span<const uint8_t> bytes) {
    if (bytes.size() < kHelloSize) return kIncomplete;
    nvr::ByteReader reader(bytes);
    const bool tagged = std::memcmp(bytes.data() + kHelloTagOffset, kHelloTag, sizeof kHelloTag) == 0;
    const bool shaped = reader.u8(0) == kKindHello && reader.u16le(2) == kHelloSize;
    return tagged && shaped && reader.u8(kHelloRoleOffset) == kHelloRole ? 0 : kBadHello;
}

int32_t checkRepeatedHello(std::span<const uint8_t> bytes, const Hello& key) {
    if (bytes.size() < kHelloSize) return kIncomplete;
    return std::equal(key.begin(), key.end(), bytes.begin()) ? 0 : kBadHello;
}

std::array<uint8_t, kReplySize> encodeReply(const Reply& reply) {
    std::array<uint8_t, kReplySize> bytes{};
    nvr::ByteWriter writer(bytes);
    writeHeader(writer, kKindReply, kReplySize);
    writer.u32le(4, reply.status);
    writer.u32le(8, reply.extra);
    writer.u32le(12, reply.value);
    return bytes;
}

std::optional<Reply> decodeReply(std::span<const uint8_t> message) {
    if (!isWhole(message, kKindReply) || message.size() != kReplySize) return std::nullopt;
    nvr::ByteReader reader(message);
    return Reply{reader.u32le(4), reader.u32le(8), reader.u32le(12)};
}

std::vector<uint8_t> encodeAnnouncement(const Announcement& announcement) {
    if (announcement.name.size() > kNameLimit) return {};
    std::vector<uint8_t> bytes(kAnnouncementHead + announcement.name.size(), 0);
    nvr::ByteWriter writer(bytes);
    writeHeader(writer, kKindAnnouncement, bytes.size());
    writer.u8(5, announcement.sort);
    writer.u16le(6, static_cast<uint16_t>(announcement.name.size()));
    writer.copy(kAnnouncementHead, announcement.name.data(), announcement.name.size());
    return bytes;
}

std::optional<Announcement> decodeAnnouncement(std::span<const uint8_t> message) {
    if (!isWhole(message, kKindAnnouncement)) return std::nullopt;
    nvr::ByteReader reader(message);
    const size_t nameLength = reader.u16le(6);
    if (nameLength > kNameLimit || kAnnouncementHead + nameLength != message.size()) return std::nullopt;
    Announcement announcement;
    announcement.sort = reader.u8(5);
    announcement.name.assign(reinterpret_cast<const char*>(message.data()) + kAnnouncementHead, nameLength);
    return announcement;
}

std::array<uint8_t, kNotificationSize> encodeNotification(const TQHD_EVENT& event) {
    std::array<uint8_t, kNotificationSize> bytes{};
    nvr::ByteWriter writer(bytes);
    writeHeader(writer, kKindNotification, kNotificationSize);
    writer.u32le(16, static_cast<uint32_t>(event.lCode));
    writer.u32le(20, static_cast<uint32_t>(event.lValue));
    return bytes;
}

std::optional<TQHD_EVENT> decodeNotification(std::span<const uint8_t> message) {
    if (!isWhole(message, kKindNotification) || message.size() != kNotificationSize) return std::nullopt;
    nvr::ByteReader reader(message);
    return TQHD_EVENT{reader.i32le(16), reader.i32le(20)};
}

}  // namespace protocol
