// The command line of halvex: --runtime-dir DIR, --group NAME.
#pragma once

#include <optional>
#include <string>

namespace halvex {

struct ServiceOptions {
    std::string runtimeDirectory;  // empty: $NVRDISK_RUNTIME_DIR or /run/halvex
    std::string group;             // empty: every local user may connect
    bool help = false;
};

// Nothing when an argument is unknown or lacks its value; `error` then says which.
std::optional<ServiceOptions> parseOptions(int argc, char** argv, std::string& error);
extern const char* const kUsage;

}  // namespace halvex
