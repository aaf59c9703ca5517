#include "handle_registry.h"

namespace drelmo {

void* HandleRegistry::Add(std::shared_ptr<CTQRootClass> object) {
    void* handle = object.get();
    std::lock_guard guard(mutex_);
    objects_[handle] = std::move(object);
    return handle;
}

std::shared_ptr<CTQRootClass> HandleRegistry::Find(const void* handle) const {
    if (handle == nullptr) return nullptr;
    std::lock_guard guard(mutex_);
    auto found = objects_.find(handle);
    return found == objects_.end() ? nullptr : found->second;
}

std::shared_ptr<CTQRootClass> HandleRegistry::Remove(const void* handle) {
    std::lock_guard guard(mutex_);
    auto found = objects_.find(handle);
    if (found == objects_.end()) return nullptr;
    auto object = std::move(found->second);
    objects_.erase(found);
    return object;
}

void HandleRegistry::Clear() {
    std::unordered_map<const void*, std::shared_ptr<CTQRootClass>> objects;
    {
        std::lock_guard guard(mutex_);
        objects.swap(objects_);
    }
    objects.clear();  // destroyed outside the leaf lock
}

}  // namespace drelmo
