// Diagnostic output: off by default, to stderr when NVRDISK_DEBUG=1. Never a result.
#pragma once

namespace platform {

bool debugEnabled();
void debugOut(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace platform
