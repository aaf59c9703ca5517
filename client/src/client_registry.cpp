#include "client_registry.h"

#include <mutex>
#include <unordered_set>

namespace tolvern {
namespace {

std::mutex& RegistryLock() {
    static std::mutex lock;
    return lock;
}

// Never destroyed: registration objects may outlive static destruction on their own threads.
std::unordered_set<CMidClient*>& Live() {
    static auto* live = new std::unordered_set<CMidClient*>;
    return *live;
}

}  // namespace

ClientPointer MakeClient() {
    ClientPointer client(new CMidClient, &Release);
    std::lock_guard guard(RegistryLock());
    Live().insert(client.get());
    return client;
}

TQHDC_HANDLE Publish(ClientPointer client) { return client.release(); }

CMidClient* Lookup(TQHDC_HANDLE handle) {
    if (handle == nullptr) return nullptr;
    std::lock_guard guard(RegistryLock());
    auto* client = static_cast<CMidClient*>(handle);
    return Live().count(client) != 0 ? client : nullptr;
}

void Forget(CMidClient* client) {
    std::lock_guard guard(RegistryLock());
    Live().erase(client);
}

void Release(CMidClient* client) {
    if (client == nullptr) return;
    Forget(client);
    delete client;
}

}  // namespace tolvern
