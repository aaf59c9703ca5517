// Helpers shared by the exported functions: nothing throws across an export, and the mode
// checks every family repeats.
#pragma once

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "client_file_op.h"
#include "client_registry.h"
#include "mid_client.h"
#include "tqhd.h"
#include "tqhdc.h"

namespace tolvern {

// Runs an export's body; any exception (an allocation failure, say) becomes `failure`.
template <typename Result, typename Body>
Result Guarded(Result failure, Body&& body) noexcept {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        return failure;
    }
}

// The connection of a service-mode object that connected, else null.
inline CClientFileOp* Connected(const CMidClient& client) {
    return !client.direct() && client.connected() ? client.connection() : nullptr;
}

// A text argument as the request carries it: its bytes without the terminator.
inline std::string_view TextOf(const char* text) { return text == nullptr ? std::string_view() : std::string_view(text); }

// Service handle numbers are 32 bits wide.
inline uint32_t ServiceHandle(uint64_t value) { return static_cast<uint32_t>(value); }

// The reply's value when the request succeeded, else 0 (a failed open).
inline uint64_t OpenedValue(CClientFileOp& connection, int32_t code) {
    return code == TQHD_OK && connection.replied() ? connection.reply().value : 0;
}

// Fills the caller's count and records from a driver-list reply (a disk has at most four volumes).
inline int32_t TakeDriverList(CClientFileOp& connection, int32_t code, TQHD_DRIVER_INFO* list, int32_t* count) {
    if (code != TQHD_OK || !connection.replied()) return code;
    const uint32_t records = std::min<uint32_t>(connection.reply().value, 4);
    *count = static_cast<int32_t>(records);
    if (list != nullptr && !connection.ReadDriverRecords(list, records)) return protocol::kReadFailed;
    return TQHD_OK;
}

}  // namespace tolvern
