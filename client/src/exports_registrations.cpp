// Event registrations. In direct mode they go straight to the library. In service mode each makes
// its own client object whose connection subscribes to the disk's events and delivers them on
// its listener thread; the object's keep-alive releases it when events stop coming.
#include "export_support.h"

using namespace tolvern;

namespace {

constexpr int32_t kKeepAliveSeconds = 600;
constexpr int32_t kNoTargetSeconds = 2;

// A registration target: a callback, or a sink with its message.
struct Target {
    TQHD_EVENT_CALLBACK callback = nullptr;
    TQHD_HWND window = nullptr;
    uint32_t message = 0;

    bool named() const { return callback != nullptr || (window != nullptr && message != 0); }
};

// Starts the listener on a subscribed connection, then the keep-alive in any case.
void Listen(CMidClient& client, uint32_t userValue, const Target& target) {
    CClientFileOp& connection = *client.connection();
    if (target.callback != nullptr) connection.SetCallback(userValue, target.callback, &client.keepAliveCountdown());
    else if (target.window != nullptr && target.message != 0)
        connection.SetMsg(userValue, target.window, target.message, &client.keepAliveCountdown());
    client.StartKeepAlive(target.named() ? kKeepAliveSeconds : kNoTargetSeconds);
}

// The result of a subscription request: the reply's value, else the failing code.
int32_t Subscribed(CClientFileOp& connection, int32_t code) {
    if (code != TQHD_OK) return code;
    return connection.replied() ? static_cast<int32_t>(connection.reply().value) : TQHD_E_FAIL;
}

template <typename Direct>
int32_t RegisterOnDisk(TQHDC_HANDLE disk, uint32_t userValue, const Target& target, Direct direct) {
    CMidClient* owner = Lookup(disk);
    if (owner == nullptr) return TQHD_E_PARAM;
    ClientPointer client = MakeClient();
    client->m_diskHandle = owner->m_diskHandle;
    client->m_name = owner->m_name;
    if (client->direct()) return direct(LibraryHandle(client->m_diskHandle));
    CClientFileOp* connection = Connected(*client);
    if (connection == nullptr) return TQHD_E_FAIL;
    const int32_t result = Subscribed(*connection, connection->RegistIntCallBack(ServiceHandle(client->m_diskHandle)));
    if (result != TQHD_OK) return result;
    Forget(client.get());  // from now on its keep-alive owns it
    Listen(*client.release(), userValue, target);
    return TQHD_OK;
}

template <typename Direct>
int32_t RegisterByName(const char* rname, uint32_t userValue, const Target& target, Direct direct) {
    if (rname == nullptr) return 0;
    ClientPointer client = MakeClient();
    client->m_name = rname;
    if (client->direct()) return direct();
    CClientFileOp* connection = Connected(*client);
    if (connection == nullptr) return 0;
    const int32_t code = connection->RegistIntCallBackByRName(rname);
    const int32_t result = code == TQHD_OK && connection->replied() ? static_cast<int32_t>(connection->reply().value) : 0;
    if (result != TQHD_OK) return result;
    Forget(client.get());
    Listen(*client.release(), userValue, target);
    return result;
}

}  // namespace

extern "C" {

int32_t TQHDC_RegistIntCallBack(TQHDC_HANDLE disk, uint32_t userValue, TQHD_EVENT_CALLBACK callback) {
    return Guarded(TQHD_E_FAIL, [&] {
        return RegisterOnDisk(disk, userValue, Target{callback, nullptr, 0},
                              [&](TQHD_HANDLE library) { return TQHD_RegistIntCallBack(library, userValue, callback); });
    });
}

int32_t TQHDC_RegistIntMsg(TQHDC_HANDLE disk, uint32_t userValue, TQHD_HWND window, uint32_t messageId) {
    return Guarded(TQHD_E_FAIL, [&] {
        return RegisterOnDisk(disk, userValue, Target{nullptr, window, messageId}, [&](TQHD_HANDLE library) {
            return TQHD_RegistIntMsg(library, userValue, window, messageId);
        });
    });
}

int32_t TQHDC_RegistIntCallBackByRName(const char* rname, uint32_t userValue, TQHD_EVENT_CALLBACK callback) {
    return Guarded(TQHD_E_FAIL, [&] {
        return RegisterByName(rname, userValue, Target{callback, nullptr, 0},
                              [&] { return TQHD_RegistIntCallBackByRName(rname, userValue, callback); });
    });
}

int32_t TQHDC_RegistIntMsgByRName(const char* rname, uint32_t userValue, TQHD_HWND window, uint32_t messageId) {
    return Guarded(TQHD_E_FAIL, [&] {
        return RegisterByName(rname, userValue, Target{nullptr, window, messageId},
                              [&] { return TQHD_RegistIntMsgByRName(rname, userValue, window, messageId); });
    });
}

}  // extern "C"
