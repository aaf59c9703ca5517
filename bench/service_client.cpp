// The benchmarks' service client.
#include "service_client.h"

#include "protocol/names.h"
#include "protocol/section_transfer.h"

namespace bench {
namespace {

constexpr auto kPatience = std::chrono::seconds(30);

}  // namespace

std::optional<std::vector<uint8_t>> ServiceClient::readMessage(platform::LocalSocket& socket) {
    for (;;) {
        const auto view = received_.front();
        if (view.state == protocol::MessageState::Complete) {
            std::vector<uint8_t> message(view.bytes.begin(), view.bytes.end());
            received_.consume(message.size());
            return message;
        }
        if (view.state == protocol::MessageState::Malformed) return std::nullopt;
        const auto space = received_.freeSpace();
        const auto result = socket.readSome(space.data(), space.size(), kPatience);
        if (result.status != platform::IoStatus::Done) return std::nullopt;
        received_.added(result.count);
    }
}

bool ServiceClient::connect() {
    const protocol::Hello hello = protocol::makeHello();
    auto command = platform::LocalSocket::connectTo(protocol::runtimePathOf(protocol::kCommandSocketName));
    if (command.writeAll(hello.data(), hello.size(), kPatience) != platform::IoStatus::Done) return false;
    const auto first = readMessage(command);
    const auto session = first ? protocol::decodeAnnouncement(*first) : std::nullopt;
    received_.clear();
    if (!session) return false;
    socket_ = platform::LocalSocket::connectTo(protocol::runtimePathOf(session->name));
    if (socket_.writeAll(hello.data(), hello.size(), kPatience) != platform::IoStatus::Done) return false;
    const auto second = readMessage(socket_);
    const auto section = second ? protocol::decodeAnnouncement(*second) : std::nullopt;
    if (!section) return false;
    section_ = platform::SharedSection::open(protocol::runtimePathOf(section->name), protocol::kSectionSize);
    return section_.valid();
}

std::optional<protocol::Reply> ServiceClient::call(const protocol::Request& request) {
    auto bytes = protocol::encodeRequest(request);
    if (!bytes || socket_.writeAll(bytes->data(), bytes->size(), kPatience) != platform::IoStatus::Done) return std::nullopt;
    const auto message = readMessage(socket_);
    return message ? protocol::decodeReply(*message) : std::nullopt;
}

bool ServiceClient::receive(uint8_t* out, size_t size) {
    const protocol::TransferGuard guard{[this] { return socket_.peerOpen(); }, kPatience};
    return protocol::receiveSectionData({section_.data(), section_.size()}, {out, size}, guard) == 0;
}

}  // namespace bench
