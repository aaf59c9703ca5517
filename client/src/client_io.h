// The connection layer that event registrations use: forwards the registration targets to the
// connection's listener.
#pragma once

#include "client_base.h"

namespace tolvern {

class CClientIO : public CClientBase {
public:
    ~CClientIO() override = default;
    int32_t SetCallback(uint32_t userValue, TQHD_EVENT_CALLBACK callback, std::atomic<int32_t>* keepAlive) override {
        return CClientBase::SetCallback(userValue, callback, keepAlive);
    }
    int32_t SetCallbackByRName(uint32_t userValue, TQHD_EVENT_CALLBACK callback,
                               std::atomic<int32_t>* keepAlive) override {
        return CClientBase::SetCallbackByRName(userValue, callback, keepAlive);
    }
    int32_t SetMsg(uint32_t userValue, TQHD_HWND window, uint32_t message, std::atomic<int32_t>* keepAlive) override {
        return CClientBase::SetMsg(userValue, window, message, keepAlive);
    }
    int32_t SetMsgByRName(uint32_t userValue, TQHD_HWND window, uint32_t message,
                          std::atomic<int32_t>* keepAlive) override {
        return CClientBase::SetMsgByRName(userValue, window, message, keepAlive);
    }
};

}  // namespace tolvern
