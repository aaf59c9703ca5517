// The registry of live objects. A handle is the address of a live object; every export turns a
// handle into an object here, so a closed, stale or foreign value gets a code instead of a crash.
// The registry hands out shared ownership, so an object closed by one thread stays alive until a
// call that is using it on another thread has returned.
#pragma once

#include <memory>
#include <mutex>
#include <unordered_map>

#include "root_class.h"

namespace drelmo {

class HandleRegistry {
public:
    // Registers the object; its address is the handle.
    void* Add(std::shared_ptr<CTQRootClass> object);
    // The live object of a handle, or null.
    std::shared_ptr<CTQRootClass> Find(const void* handle) const;
    // Unregisters the handle and returns the object (null when it was not live).
    std::shared_ptr<CTQRootClass> Remove(const void* handle);
    // Unregisters everything (library unload).
    void Clear();

private:
    mutable std::mutex mutex_;  // a leaf lock: nothing else is taken while it is held
    std::unordered_map<const void*, std::shared_ptr<CTQRootClass>> objects_;
};

// Finds a live object of class T (by kind), or null.
template <typename T>
std::shared_ptr<T> FindAs(const HandleRegistry& registry, const void* handle, int32_t kind) {
    auto object = registry.Find(handle);
    if (!object || object->Kind() != kind) return nullptr;
    return std::static_pointer_cast<T>(object);
}

}  // namespace drelmo
