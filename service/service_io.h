// CServiceIO: one client connection. It owns the session socket and the section, reads requests
// and answers each with one library call (the dispatcher), and, once subscribed, carries the
// library's events to its client. CServiceFileOp is the concrete session class.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "handle_table.h"
#include "platform/local_socket.h"
#include "platform/shared_section.h"
#include "protocol/requests.h"
#include "protocol/section_transfer.h"
#include "service_base.h"

namespace halvex {

class CServiceIO : public CServiceBase, public std::enable_shared_from_this<CServiceIO> {
public:
    CServiceIO(const ServiceSettings& settings, CShakeHands* owner, HandleTable& handles, uint64_t serial);
    ~CServiceIO() override;

    // Creates the listening session socket and the session's thread.
    int32_t Start() override;
    // Creates, clears and announces the section.
    int32_t OnHello(std::span<const uint8_t> hello) override;
    // The request loop: every complete request in the buffer, once, in order.
    int32_t OnData() override;

    uint64_t Serial() const { return serial_; }
    const std::string& SocketName() const { return socketName_; }
    // One notification exchange with the client (on a library worker thread): writes the event,
    // waits for the answer and copies the answered value back. Serialised per session.
    void Notify(TQHD_EVENT& event);

protected:
    void RunEndpoint() override;

private:
    CServiceIO(const ServiceSettings& settings, CShakeHands* owner, HandleTable& handles, uint64_t serial, int32_t tick,
               int32_t thread);
    bool WaitForClient();
    bool ReceiveHello();
    void ServeRequests();
    void WaitWhileSubscribed();
    void EndSession();
    bool ReadMore();
    bool WriteMessage(std::span<const uint8_t> bytes);
    protocol::TransferGuard Guard();

    // Dispatcher and its handlers (dispatch_*.cpp). Each handler fills reply_; a handler whose
    // data exceeds the section leaves it in bulk_, streamed after the reply.
    int32_t Dispatch(std::span<const uint8_t> message);
    void Handle(const protocol::Request& request);
    void HandleInventory(const protocol::Request& request);
    void HandleFiles(const protocol::Request& request);
    void HandleMaintenance(const protocol::Request& request);
    void DiskList(uint8_t code);
    void DriverList(const protocol::Request& request);
    void DeviceInfo(const TQHD_DEVICE_INFO* info);
    void OpenFind(const protocol::Request& request);
    void Listing(const protocol::Request& request);
    void ReadFile(const protocol::Request& request);
    void IndexFileOpen(const protocol::Request& request);
    void CloseHandle(uint32_t number);
    void Format(const protocol::Request& request);
    void Subscribe(const protocol::Request& request);
    void DiskCopy(const protocol::Request& request);
    void SendBulk(std::vector<uint8_t> data);
    uint32_t Publish(TQHD_HANDLE handle, HandleKind kind);
    TQHD_HANDLE Resolve(uint32_t number, HandleKind kind) const;
    std::span<uint8_t> SectionView() const;

    HandleTable& handles_;
    const uint64_t serial_;
    const std::string socketName_;
    const std::string sectionName_;
    platform::LocalListener listener_;
    platform::LocalSocket socket_;
    platform::SharedSection section_;
    protocol::Reply reply_;
    std::vector<uint8_t> bulk_;
    bool subscribeAfterReply_ = false;
    bool subscribed_ = false;
    bool ending_ = false;
    std::mutex exchangeMutex_;  // one writer on the socket: a request's reply or a notification
    TQHD_FIND_DATA findRecord_{};
};

class CServiceFileOp final : public CServiceIO {
public:
    using CServiceIO::CServiceIO;
};

}  // namespace halvex
