// Disk maintenance on a disk object: starting the copy worker and the format worker.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "disk_state.h"
#include "platform/thread.h"

namespace drelmo {

// Starts a copy of drive `source` onto drive `target` on `disk`'s copy worker. A worker thread
// of an earlier copy that is ending is handed back in `spent`: the caller destroys it (which
// waits for it) after releasing the global lock, since that thread may still be delivering its
// last event to a receiver that calls the library.
int32_t StartCopy(DiskState& disk, int32_t source, int32_t target, std::unique_ptr<platform::MessageThread>& spent);

// Starts formatting `disk` on its format worker; `spent` as above.
int32_t StartFormat(DiskState& disk, std::unique_ptr<platform::MessageThread>& spent);

// The busy list of a format refused because programs use the disk: "name(count)" items joined
// by ";", appended to `text` while it is shorter than textSize - 6, cut so that it and its
// terminating zero fit into textSize bytes.
struct OwnerCount {
    std::string name;
    int32_t count = 0;
};
void AppendBusyList(char* text, int32_t textSize, const std::vector<OwnerCount>& owners);

}  // namespace drelmo
