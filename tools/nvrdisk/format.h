// Human-readable sizes, rates and durations for the tool's output.
#pragma once

#include <cstdint>
#include <string>

namespace nvrdisk {

// "512 B", "1.5 KiB", "256.0 MiB", "1.8 TiB" (binary units, one decimal above bytes).
std::string humanSize(uint64_t bytes);
// "12.3 MiB/s"; "-" when no time has passed.
std::string humanRate(uint64_t bytes, double seconds);
// "0:07", "3:05", "1:02:03"; "--:--" for an unknown (negative or absurd) duration.
std::string humanDuration(double seconds);

}  // namespace nvrdisk
