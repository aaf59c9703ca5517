// Step texts of the connection code. They go to the platform's diagnostic output, which is off
// unless NVRDISK_DEBUG=1; the first argument is the tick count modulo 10000.
#pragma once

#include <chrono>

#include "platform/debug.h"

namespace tolvern {

template <typename... Arguments>
void Trace(const char* format, Arguments... arguments) {
    if (!platform::debugEnabled()) return;
    const auto ticks = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch()).count();
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    platform::debugOut(format, static_cast<int>(ticks % 10000), arguments...);
#pragma GCC diagnostic pop
}

}  // namespace tolvern
