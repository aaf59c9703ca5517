// A small client of the disk service for the benchmarks: registration, requests with their
// replies, and the data of a reply by the section rules.
#pragma once

#include <optional>
#include <vector>

#include "platform/local_socket.h"
#include "platform/shared_section.h"
#include "protocol/messages.h"
#include "protocol/receive_buffer.h"
#include "protocol/requests.h"

namespace bench {

class ServiceClient {
public:
    // Command socket, session socket and section; false when a step fails.
    bool connect();
    std::optional<protocol::Reply> call(const protocol::Request& request);
    // Copies `size` bytes of a reply's data into `out` (which must hold them); false on failure.
    bool receive(uint8_t* out, size_t size);

private:
    std::optional<std::vector<uint8_t>> readMessage(platform::LocalSocket& socket);

    platform::LocalSocket socket_;
    platform::SharedSection section_;
    protocol::ReceiveBuffer received_;
};

}  // namespace bench
