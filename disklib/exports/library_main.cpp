// The library's load and unload hooks: start the watcher thread, stop it at unload.
#include "../core/library_state.h"

namespace {

__attribute__((constructor)) void LoadLibrary() { drelmo::StartLibrary(); }

__attribute__((destructor)) void UnloadLibrary() { drelmo::StopLibrary(); }

}  // namespace
