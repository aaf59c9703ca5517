// Wire names of the service's objects and their files in the runtime directory.
#include "protocol/names.h"

#include <cstdio>

#include "platform/runtime_dir.h"

namespace protocol {
namespace {

constexpr const char* kPipePrefix = "\\\\.\\pipe\\";
constexpr const char* kGlobalPrefix = "Global\\";
// A file name in the runtime directory; socket paths must also fit a socket address.
constexpr size_t kFileNameLimit = 80;

std::string formatted(const char* pattern, int32_t serial, int32_t tick, int32_t thread) {
    char name[96];
    std::snprintf(name, sizeof name, pattern, static_cast<int>(serial), static_cast<int>(tick), static_cast<int>(thread));
    return name;
}

std::string withoutPrefix(const std::string& name, const std::string& prefix) {
    return name.compare(0, prefix.size(), prefix) == 0 ? name.substr(prefix.size()) : std::string();
}

bool safeFileName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.size() > kFileNameLimit) return false;
    return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

}  // namespace

const char* const kCommandSocketName = "\\\\.\\pipe\\TQ_CS_SVC_CM_SH_CLASS";

std::string sessionSocketName(int32_t serial, int32_t tick, int32_t thread) {
    return formatted("\\\\.\\pipe\\tq_cs_svc_pipe_%d_%d_%d", serial, tick, thread);
}

std::string sectionName(int32_t serial, int32_t tick, int32_t thread) {
    return formatted("Global\\tq_cs_svc_sm_%d_%d_%d", serial, tick, thread);
}

std::string localNameOf(const std::string& wireName) {
    std::string local = withoutPrefix(wireName, kPipePrefix);
    if (local.empty()) local = withoutPrefix(wireName, kGlobalPrefix);
    return safeFileName(local) ? local : std::string();
}

std::string runtimePathOf(const std::string& wireName) {
    const std::string local = localNameOf(wireName);
    return local.empty() ? std::string() : platform::runtimePath(local);
}

}  // namespace protocol
