// A stand-in for the service on real local sockets and a real section, scripted by a test: it
// registers one client and then exchanges whatever messages the test asks for. Used where the
// real service never misbehaves (malformed notifications, stalls).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "disk_image_builder.h"
#include "platform/local_socket.h"
#include "platform/shared_section.h"

namespace clienttest {

class FakeService {
public:
    // Listens in a fresh runtime directory, which becomes this process's $NVRDISK_RUNTIME_DIR.
    FakeService();

    // Serves one registration (both hellos, both announcements); false when a step failed. With
    // another first sort it answers the first hello with that announcement and stops there.
    bool registerClient(uint8_t firstSort = 1);
    // Ends the session from the service's side.
    void hangUp() { client_.close(); }
    // The next whole message from the client; empty when none came in time or the client closed.
    std::vector<uint8_t> receive();
    bool send(std::span<const uint8_t> message);
    // Replies to the request just received.
    bool reply(uint32_t status, uint32_t extra, uint32_t value);
    bool sendEvent(int32_t code, int32_t value);
    // True once the client has closed its end of the session.
    bool clientGone();
    platform::SharedSection& section() { return section_; }

private:
    nvrtest::TempDir runtime_{"tolvern-fake-service"};
    platform::LocalListener command_;
    platform::LocalListener session_;
    platform::LocalSocket client_;
    platform::SharedSection section_;
    std::vector<uint8_t> held_;
};

}  // namespace clienttest
