// halvex: the disk service. Runs in the foreground (systemd starts it, or a user by hand),
// one instance per runtime directory, until SIGTERM or SIGINT; then it stops the sessions and
// the command socket in order and exits 0.
#include <cstdio>
#include <cstdlib>

#include "platform/runtime_dir.h"
#include "platform/service_host.h"
#include "service_options.h"
#include "shake_hands.h"

namespace {

constexpr const char* kServiceName = "halvex";
constexpr const char* kAlreadyRunning = "NVR磁盘服务已经运行";

// The access rule for the service's objects, from --group and the process's rights.
bool settingsFor(const halvex::ServiceOptions& options, halvex::ServiceSettings& settings) {
    if (!options.group.empty()) {
        const int group = platform::groupIdOf(options.group);
        if (group < 0) {
            std::fprintf(stderr, "halvex: no group named %s\n", options.group.c_str());
            return false;
        }
        settings.access = {0660, group, -1};
    }
    settings.sectionsForPeerOnly = platform::runningAsRoot();
    return true;
}

int serve(const halvex::ServiceSettings& settings) {
    halvex::CShakeHands server(settings);
    const int32_t started = server.Start();
    if (started != 0) {
        std::fprintf(stderr, "halvex: the command socket cannot be created (0x%08X)\n", static_cast<unsigned>(started));
        return 1;
    }
    platform::waitForStopSignal();
    server.Stop();
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::string error;
    const auto options = halvex::parseOptions(argc, argv, error);
    if (!options || options->help) {
        if (!options) std::fprintf(stderr, "halvex: %s\n", error.c_str());
        std::fputs(halvex::kUsage, options ? stdout : stderr);
        return options ? 0 : 2;
    }
    if (!options->runtimeDirectory.empty()) setenv("NVRDISK_RUNTIME_DIR", options->runtimeDirectory.c_str(), 1);
    if (!platform::catchStopSignals()) {
        platform::systemLog(kServiceName, "Handler not installed");
        return 1;
    }
    const std::string directory = platform::runtimeDirectory();
    if (!platform::makeRuntimeDirectory(directory)) {
        std::fprintf(stderr, "halvex: cannot create %s\n", directory.c_str());
        return 1;
    }
    const platform::InstanceLock lock = platform::InstanceLock::acquire(directory + "/halvex.lock");
    if (!lock.held()) {
        std::printf("%s\n", kAlreadyRunning);
        return 0;
    }
    halvex::ServiceSettings settings;
    return settingsFor(*options, settings) ? serve(settings) : 2;
}
