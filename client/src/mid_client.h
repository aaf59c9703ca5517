// The client object behind every handle of this library: decides once whether calls go straight
// to the disk library or through the service, holds the handles it works on, and runs the
// keep-alive that releases registration objects.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "tqhd.h"

namespace tolvern {

class CClientFileOp;

class CMidClient {
public:
    CMidClient();
    virtual ~CMidClient();
    CMidClient(const CMidClient&) = delete;
    CMidClient& operator=(const CMidClient&) = delete;

    bool direct() const { return m_bDirect; }
    bool connected() const { return m_uConnected == 1; }
    // The service connection; null in direct mode.
    CClientFileOp* connection() const { return m_connection.get(); }

    // The handle that calls on this object address: its own object, else the disk it stands for
    // (a disk object has no object handle; its length and stop requests go to the disk).
    uint64_t callHandle() const { return m_objectHandle != 0 ? m_objectHandle : m_diskHandle; }

    // Starts the countdown thread unless it runs; the object deletes itself when the countdown
    // ends and self-release is still set.
    void StartKeepAlive(int32_t seconds);
    std::atomic<int32_t>& keepAliveCountdown() { return m_keepAliveCountdown; }

    // Library handle values (an address in direct mode, the service's number in service mode).
    uint64_t m_diskHandle = 0;
    uint64_t m_objectHandle = 0;
    const char* m_name = nullptr;  // the caller's text of the last by-name call, not copied

private:
    void KeepAliveBody();

    bool m_bDirect = false;
    std::unique_ptr<CClientFileOp> m_connection;
    uint32_t m_uConnected = 0;
    bool m_bKeepAliveStarted = false;
    bool m_bReleasedByKeepAlive = false;
    std::atomic<int32_t> m_keepAliveCountdown{0};
    std::atomic<bool> m_selfRelease{true};
};

// Disk library handle values travel as 64-bit numbers inside a client object.
inline TQHD_HANDLE LibraryHandle(uint64_t value) { return reinterpret_cast<TQHD_HANDLE>(static_cast<uintptr_t>(value)); }
inline uint64_t HandleValue(TQHD_HANDLE handle) { return reinterpret_cast<uintptr_t>(handle); }

// True when this process may open the first physical drive itself.
bool MayOpenDrivesDirectly();

}  // namespace tolvern
