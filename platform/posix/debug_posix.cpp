// Diagnostic output to stderr when NVRDISK_DEBUG=1, one write per message so lines of different
// threads do not interleave.
#include "platform/debug.h"

#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace platform {

bool debugEnabled() {
    static const bool enabled = [] {
        const char* value = std::getenv("NVRDISK_DEBUG");
        return value != nullptr && std::strcmp(value, "1") == 0;
    }();
    return enabled;
}

void debugOut(const char* format, ...) {
    if (!debugEnabled() || format == nullptr) return;
    const int savedErrno = errno;  // callers often report errno right after
    va_list arguments;
    va_start(arguments, format);
    va_list measuring;
    va_copy(measuring, arguments);
    const int size = std::vsnprintf(nullptr, 0, format, measuring);
    va_end(measuring);
    std::string text(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0) std::vsnprintf(text.data(), text.size() + 1, format, arguments);
    va_end(arguments);
    if (!text.empty()) {
        // Diagnostics have nowhere to report their own failure.
        [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
    }
    errno = savedErrno;
}

}  // namespace platform
