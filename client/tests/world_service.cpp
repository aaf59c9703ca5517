// Service mode: this program's device directory stays empty (no drive 0, so every client object
// connects to the service); a real halvex serves the drives from a directory of its own, with a
// runtime directory of its own that this program's client library is pointed at.
#include <dirent.h>
#include <stdlib.h>

#include <memory>
#include <stdexcept>

#include "client_world.h"
#include "disk_image_builder.h"
#include "service_process.h"

namespace clienttest {
namespace {

struct ServiceWorld {
    nvrtest::TempDir drives{"tolvern-service-drives"};
    nvrtest::TempDir runtime{"tolvern-service-runtime"};
    std::unique_ptr<ServiceProcess> service;
};

ServiceWorld& world() {
    static ServiceWorld instance;
    return instance;
}

}  // namespace

std::string driveDirectory() { return world().drives.path(); }

void startWorld() {
    if (setenv("NVRDISK_RUNTIME_DIR", world().runtime.path().c_str(), 1) != 0)
        throw std::runtime_error("cannot point the client at the service");
    world().service = std::make_unique<ServiceProcess>(HALVEX_PROGRAM, world().drives.path(), world().runtime.path());
}

void stopWorld() { world().service.reset(); }

bool serviceMode() { return true; }

// Each session has one section file "tq_cs_svc_sm_..." while it lasts.
int serviceSessions() {
    int sessions = 0;
    DIR* directory = opendir(world().runtime.path().c_str());
    if (directory == nullptr) return -1;
    while (const dirent* entry = readdir(directory))
        if (std::string(entry->d_name).rfind("tq_cs_svc_sm_", 0) == 0) ++sessions;
    closedir(directory);
    return sessions;
}

}  // namespace clienttest
