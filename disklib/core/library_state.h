// The library's global state: the global lock, the ready flag, the inventory and the handle registry.
#pragma once

#include "handle_registry.h"
#include "inventory.h"
#include "nvr/cautocri.h"

namespace drelmo {

// Guards the tables and owner registries; always taken before a disk lock.
nvr::CriticalSection& GlobalLock();
Inventory& TheInventory();
HandleRegistry& Handles();

// Set once the first scan has ended; exports that read the inventory wait for it.
void SetReady(bool ready);
bool IsReady();
void WaitReady();

// Starts the watcher (at load) and stops it (at unload, waiting at most 5 s).
void StartLibrary();
void StopLibrary();

}  // namespace drelmo
