// The receive buffer of one socket: bytes are appended as they arrive and whole messages are
// taken from the front; bytes of a later message stay for the next step.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "protocol/constants.h"

namespace protocol {

enum class MessageState { Complete, Incomplete, Malformed };

struct MessageView {
    MessageState state = MessageState::Incomplete;
    std::span<const uint8_t> bytes;  // the whole message when Complete
};

class ReceiveBuffer {
public:
    // The room after the bytes held; a read appends there and reports its count with added().
    std::span<uint8_t> freeSpace() { return std::span<uint8_t>(bytes_).subspan(fill_); }
    void added(size_t count);
    // The message at the front: Complete when its length field's bytes are all here, Malformed
    // when the length field is below the header size or above kMessageLimit.
    MessageView front() const;
    // Drops `count` bytes from the front and moves the rest to the start.
    void consume(size_t count);
    std::span<const uint8_t> held() const { return std::span<const uint8_t>(bytes_).first(fill_); }
    size_t size() const { return fill_; }
    void clear() { fill_ = 0; }

private:
    std::array<uint8_t, kMessageLimit> bytes_{};
    size_t fill_ = 0;
};

}  // namespace protocol
