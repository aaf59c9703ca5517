// The live client objects of the process: every export checks a handle here before use, so a
// closed or foreign handle gets a failure value, never a crash.
#pragma once

#include <memory>

#include "mid_client.h"
#include "tqhdc.h"

namespace tolvern {

// Makes a client object (mode decision, and in service mode its connection) and lists it.
std::unique_ptr<CMidClient, void (*)(CMidClient*)> MakeClient();
// Hands a listed object to the caller as its handle.
TQHDC_HANDLE Publish(std::unique_ptr<CMidClient, void (*)(CMidClient*)> client);
// The live object behind a handle, or null.
CMidClient* Lookup(TQHDC_HANDLE handle);
// Drops an object from the list and destroys it.
void Release(CMidClient* client);
// Drops an object from the list without destroying it (its keep-alive does that).
void Forget(CMidClient* client);

using ClientPointer = std::unique_ptr<CMidClient, void (*)(CMidClient*)>;

}  // namespace tolvern
