// Event delivery to a caller-owned sink, the stand-in for sending a window message.
#include "platform/message_sink.h"

#include <utility>

namespace platform {

void sendMessage(TQHD_HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (window == nullptr || window->pfnSend == nullptr) return;
    window->pfnSend(window, message, wParam, lParam);
}

MessageSink::MessageSink(Receiver receiver) : sink_{&MessageSink::forward, this}, receiver_(std::move(receiver)) {}

void MessageSink::forward(TQHD_MSG_SINK* sink, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    auto* self = static_cast<MessageSink*>(sink->pContext);
    if (self != nullptr && self->receiver_) self->receiver_(message, wParam, lParam);
}

}  // namespace platform
