// Formats sizes, rates and durations in the units people read disk tools in.
#include "format.h"

#include <cmath>
#include <cstdio>

namespace nvrdisk {

std::string humanSize(uint64_t bytes) {
    static const char* const units[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    if (bytes < 1024) return std::to_string(bytes) + " B";
    double value = static_cast<double>(bytes) / 1024.0;
    size_t unit = 0;
    // 1023.95 and up would print as "1024.0", so they count as the next unit.
    while (value >= 1023.95 && unit + 1 < std::size(units)) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", value, units[unit]);
    return text;
}

std::string humanRate(uint64_t bytes, double seconds) {
    if (!(seconds > 0.0)) return "-";
    return humanSize(static_cast<uint64_t>(static_cast<double>(bytes) / seconds)) + "/s";
}

std::string humanDuration(double seconds) {
    if (!(seconds >= 0.0) || seconds > 360000.0 * 24) return "--:--";
    const auto total = static_cast<uint64_t>(std::llround(seconds));
    const uint64_t hours = total / 3600, minutes = total / 60 % 60, rest = total % 60;
    char text[32];
    if (hours > 0)
        std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", static_cast<unsigned long long>(hours),
                      static_cast<unsigned long long>(minutes), static_cast<unsigned long long>(rest));
    else
        std::snprintf(text, sizeof text, "%llu:%02llu", static_cast<unsigned long long>(minutes),
                      static_cast<unsigned long long>(rest));
    return text;
}

}  // namespace nvrdisk
