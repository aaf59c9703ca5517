// Names of the service's sockets and sections, and where they live on this system.
#pragma once

#include <cstdint>
#include <string>

namespace protocol {

// The name clients connect to first.
extern const char* const kCommandSocketName;  // "\\.\pipe\TQ_CS_SVC_CM_SH_CLASS"

// Per-connection names from the three numbers of a session (its serial, the tick count when it
// was made, the id of the thread that made it), each formatted as signed decimal.
std::string sessionSocketName(int32_t serial, int32_t tick, int32_t thread);
std::string sectionName(int32_t serial, int32_t tick, int32_t thread);

// The file name a wire name stands for in the runtime directory: "\\.\pipe\NAME" and
// "Global\NAME" both become NAME. Empty when the name is not one of these forms or NAME could
// leave the directory (empty, ".", "..", a '/' or a NUL).
std::string localNameOf(const std::string& wireName);
// `<runtime dir>/<localNameOf(wireName)>`, empty when the name is refused.
std::string runtimePathOf(const std::string& wireName);

}  // namespace protocol
