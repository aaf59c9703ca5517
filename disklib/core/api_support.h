// Helpers shared by the exported functions: turning handles into objects, publishing new
// objects, and keeping every exception inside the library.
#pragma once

#include <memory>
#include <new>

#include "hard_disk.h"
#include "library_state.h"
#include "platform/debug.h"

namespace drelmo {

// Runs an export's body; an exception becomes the export's failure value.
template <typename Value, typename Body>
Value Guarded(Value failure, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        platform::debugOut("# test # 内存不足\n");
        return failure;
    } catch (...) {
        return failure;
    }
}

// The listed disk whose disk object is `handle` (compared by address), or null. Takes the global
// lock for the lookup.
std::shared_ptr<CTQHardDisk> ListedDisk(const void* handle);

// Registers a new object and returns its handle.
inline void* Publish(std::shared_ptr<CTQRootClass> object) { return Handles().Add(std::move(object)); }

}  // namespace drelmo
