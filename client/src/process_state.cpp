#include "process_state.h"

#include <unistd.h>

#include <cstring>
#include <memory>

namespace tolvern {
namespace {

constexpr size_t kModulePathSize = 1024;

char modulePath[kModulePathSize] = "";

struct DeviceText {
    std::unique_ptr<char[]> bytes;
    size_t length = 0;  // bytes of the buffer, terminator included
};

DeviceText deviceText;

// Read when the library is attached, as the host's path does not change afterwards.
__attribute__((constructor)) void ReadModulePath() {
    const ssize_t length = readlink("/proc/self/exe", modulePath, kModulePathSize - 1);
    modulePath[length > 0 ? length : 0] = '\0';
}

}  // namespace

const char* ModulePath() { return modulePath; }

const char* StoreDeviceText(const std::optional<std::string>& text) {
    if (!text) {
        if (deviceText.bytes) std::memset(deviceText.bytes.get(), 0, deviceText.length);
        return deviceText.bytes.get();
    }
    if (!deviceText.bytes || deviceText.length < text->size() + 1) {
        deviceText.bytes = std::make_unique<char[]>(text->size() + 1);
        deviceText.length = text->size() + 1;
    }
    std::memcpy(deviceText.bytes.get(), text->c_str(), text->size() + 1);
    return deviceText.bytes.get();
}

}  // namespace tolvern
