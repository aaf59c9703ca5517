// Splitting the byte stream of a socket into messages by their length fields.
#include "protocol/receive_buffer.h"

#include <algorithm>
#include <cstring>

#include "protocol/messages.h"

namespace protocol {

void ReceiveBuffer::added(size_t count) { fill_ = std::min(fill_ + count, bytes_.size()); }

MessageView ReceiveBuffer::front() const {
    const auto header = decodeHeader(held());
    if (!header) return {MessageState::Incomplete, {}};
    if (header->length < kHeaderSize || header->length > kMessageLimit) return {MessageState::Malformed, {}};
    if (header->length > fill_) return {MessageState::Incomplete, {}};
    return {MessageState::Complete, held().first(header->length)};
}

void ReceiveBuffer::consume(size_t count) {
    if (count >= fill_) {
        fill_ = 0;
        return;
    }
    std::memmove(bytes_.data(), bytes_.data() + count, fill_ - count);
    fill_ -= count;
}

}  // namespace protocol
