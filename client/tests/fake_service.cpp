#include "fake_service.h"

#include <stdlib.h>

#include <chrono>
#include <stdexcept>

#include "nvr/byte_reader.h"
#include "protocol/constants.h"
#include "protocol/messages.h"
#include "protocol/names.h"

namespace clienttest {
namespace {

using namespace std::chrono_literals;

constexpr const char* kSessionName = "\\\\.\\pipe\\fake_session";
constexpr const char* kSectionName = "Global\\fake_section";
constexpr auto kLimit = 10s;

}  // namespace

FakeService::FakeService() {
    if (setenv("NVRDISK_RUNTIME_DIR", runtime_.path().c_str(), 1) != 0) throw std::runtime_error("setenv failed");
    command_ = platform::LocalListener::create(protocol::runtimePathOf(protocol::kCommandSocketName), {});
    session_ = platform::LocalListener::create(protocol::runtimePathOf(kSessionName), {});
    if (!command_.valid() || !session_.valid()) throw std::runtime_error("cannot listen");
}

bool FakeService::registerClient(uint8_t firstSort) {
    client_ = command_.accept(kLimit);
    if (!client_.valid() || receive().size() != protocol::kHelloSize) return false;
    if (!send(protocol::encodeAnnouncement({firstSort, kSessionName}))) return false;
    if (firstSort != protocol::kSortSessionSocket) return true;
    client_ = session_.accept(kLimit);
    held_.clear();
    if (!client_.valid() || receive().size() != protocol::kHelloSize) return false;
    section_ = platform::SharedSection::create(protocol::runtimePathOf(kSectionName), protocol::kSectionSize, {});
    return section_.valid() && send(protocol::encodeAnnouncement({protocol::kSortSection, kSectionName}));
}

std::vector<uint8_t> FakeService::receive() {
    for (;;) {
        if (held_.size() >= protocol::kHeaderSize) {
            const size_t length = nvr::ByteReader(held_.data(), held_.size()).u16le(2);
            if (length >= protocol::kHeaderSize && held_.size() >= length) {
                std::vector<uint8_t> message(held_.begin(), held_.begin() + length);
                held_.erase(held_.begin(), held_.begin() + length);
                return message;
            }
        }
        uint8_t bytes[4096];
        const platform::ReadResult result = client_.readSome(bytes, sizeof bytes, kLimit);
        if (result.status != platform::IoStatus::Done) return {};
        held_.insert(held_.end(), bytes, bytes + result.count);
    }
}

bool FakeService::send(std::span<const uint8_t> message) {
    return client_.writeAll(message.data(), message.size(), kLimit) == platform::IoStatus::Done;
}

bool FakeService::reply(uint32_t status, uint32_t extra, uint32_t value) {
    return send(protocol::encodeReply({status, extra, value}));
}

bool FakeService::sendEvent(int32_t code, int32_t value) {
    return send(protocol::encodeNotification(TQHD_EVENT{code, value}));
}

bool FakeService::clientGone() { return client_.waitPeerClosed(kLimit); }

}  // namespace clienttest
