// The stand-in for a window that receives event messages: a caller-owned sink whose send function
// is called synchronously on the sending thread.
#pragma once

#include <cstdint>
#include <functional>

#include "tqhd_types.h"

namespace platform {

// Calls the sink's send function; does nothing for a null sink or a sink without a function.
void sendMessage(TQHD_HWND window, uint32_t message, uintptr_t wParam, intptr_t lParam);

// A sink bound to a C++ callable, for programs and tests. Keep it alive while registered.
class MessageSink {
public:
    using Receiver = std::function<void(uint32_t message, uintptr_t wParam, intptr_t lParam)>;
    explicit MessageSink(Receiver receiver);
    MessageSink(const MessageSink&) = delete;
    MessageSink& operator=(const MessageSink&) = delete;
    TQHD_HWND handle() { return &sink_; }

private:
    static void forward(TQHD_MSG_SINK* sink, uint32_t message, uintptr_t wParam, intptr_t lParam);
    TQHD_MSG_SINK sink_;
    Receiver receiver_;
};

}  // namespace platform
