// What the service host decides for every endpoint: access to its objects and the bounds of
// every wait on a peer.
#pragma once

#include <chrono>

#include "platform/runtime_dir.h"

namespace halvex {

struct ServiceSettings {
    platform::AccessRule access;                      // command socket, session sockets, sections
    bool sectionsForPeerOnly = false;                 // root: each section 0600, owned by its peer
    std::chrono::milliseconds helloLimit{5000};       // a command connection must say hello within
    std::chrono::milliseconds connectLimit{10000};    // a session's client must connect and say hello within
    std::chrono::milliseconds stallLimit{10000};      // a peer must take a message or a chunk within
    std::chrono::milliseconds answerLimit{60000};     // a notification must be answered within
    std::chrono::milliseconds pollStep{100};          // how often blocked endpoints look at their stop flag
};

}  // namespace halvex
