// Parsing of halvex's few options.
#include "service_options.h"

namespace halvex {

const char* const kUsage =
    "usage: halvex [--runtime-dir DIR] [--group NAME]\n"
    "  Serves the disk library to local clients until SIGTERM or SIGINT.\n"
    "  --runtime-dir DIR  sockets, sections and the lock file (default $NVRDISK_RUNTIME_DIR or /run/halvex)\n"
    "  --group NAME       only members of this group may connect (objects 0660)\n";

std::optional<ServiceOptions> parseOptions(int argc, char** argv, std::string& error) {
    ServiceOptions options;
    for (int index = 1; index < argc; ++index) {
        const std::string argument = argv[index];
        if (argument == "--help" || argument == "-h") {
            options.help = true;
            continue;
        }
        if (argument != "--runtime-dir" && argument != "--group") {
            error = "unknown argument: " + argument;
            return std::nullopt;
        }
        if (index + 1 >= argc || std::string(argv[index + 1]).empty()) {
            error = argument + " needs a value";
            return std::nullopt;
        }
        (argument == "--group" ? options.group : options.runtimeDirectory) = argv[++index];
    }
    return options;
}

}  // namespace halvex
