// A one-line progress display on stderr for long copies: bar, percent, bytes, rate and ETA.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace nvrdisk {

class ProgressBar {
public:
    // Draws only when `enabled` (the caller passes whether stderr is a terminal).
    ProgressBar(uint64_t totalBytes, bool enabled);
    // Redraws at most ten times a second.
    void update(uint64_t doneBytes);
    // Draws the final state and ends the line.
    void finish(uint64_t doneBytes);
    // The line as drawn for the given state; public so its layout can be checked.
    static std::string render(uint64_t doneBytes, uint64_t totalBytes, double elapsedSeconds);

private:
    void draw(uint64_t doneBytes);

    using Clock = std::chrono::steady_clock;
    uint64_t totalBytes_;
    bool enabled_;
    Clock::time_point start_;
    Clock::time_point lastDraw_;
};

}  // namespace nvrdisk
