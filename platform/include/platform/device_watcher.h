// Watches the device directory for drives that arrive or go away.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace platform {

enum class DeviceChange { Arrival, Removal };

struct DeviceEvent {
    DeviceChange change;
    int driveNumber;  // from the entry's name (driveNumberOfEntry)
    std::string entryName;
};

class DeviceWatcher {
public:
    virtual ~DeviceWatcher() = default;
    // Blocks until a drive entry appears or disappears, or stop() is called (then nullopt).
    // Entries that name no drive (partitions, other files) are not reported.
    virtual std::optional<DeviceEvent> next() = 0;
    // Makes a blocked or later next() return nullopt; callable from any thread.
    virtual void stop() = 0;
};

// Watches deviceDirectory(); null when it cannot be watched (the library then works without
// device-change handling).
std::unique_ptr<DeviceWatcher> openDeviceWatcher();

}  // namespace platform
