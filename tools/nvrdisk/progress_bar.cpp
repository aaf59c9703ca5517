// Draws the copy progress line with a carriage return so it rewrites itself in place.
#include "progress_bar.h"

#include <algorithm>
#include <cstdio>

#include "format.h"

namespace nvrdisk {
namespace {

constexpr int barWidth = 30;
constexpr auto redrawInterval = std::chrono::milliseconds(100);

std::string bar(double fraction) {
    const int filled = static_cast<int>(fraction * barWidth);
    std::string text(barWidth + 2, ' ');
    text.front() = '[';
    text.back() = ']';
    std::fill_n(text.begin() + 1, filled, '#');
    return text;
}

}  // namespace

ProgressBar::ProgressBar(uint64_t totalBytes, bool enabled)
    : totalBytes_(totalBytes), enabled_(enabled), start_(Clock::now()), lastDraw_() {}

void ProgressBar::update(uint64_t doneBytes) {
    if (!enabled_) return;
    const auto now = Clock::now();
    if (now - lastDraw_ < redrawInterval) return;
    lastDraw_ = now;
    draw(doneBytes);
}

void ProgressBar::finish(uint64_t doneBytes) {
    if (!enabled_) return;
    draw(doneBytes);
    std::fputc('\n', stderr);
}

void ProgressBar::draw(uint64_t doneBytes) {
    const double elapsed = std::chrono::duration<double>(Clock::now() - start_).count();
    // The trailing spaces wipe what a longer earlier line left behind.
    std::fprintf(stderr, "\r%s   ", render(doneBytes, totalBytes_, elapsed).c_str());
    std::fflush(stderr);
}

std::string ProgressBar::render(uint64_t doneBytes, uint64_t totalBytes, double elapsedSeconds) {
    const double fraction = totalBytes == 0 ? 1.0 : std::min(1.0, double(doneBytes) / double(totalBytes));
    const double rate = elapsedSeconds > 0 ? double(doneBytes) / elapsedSeconds : 0.0;
    const double remaining = rate > 0 ? double(totalBytes - std::min(doneBytes, totalBytes)) / rate : -1.0;
    char percent[8];
    std::snprintf(percent, sizeof percent, "%3d%%", static_cast<int>(fraction * 100));
    return bar(fraction) + " " + percent + "  " + humanSize(doneBytes) + " / " + humanSize(totalBytes) + "  " +
           humanRate(doneBytes, elapsedSeconds) + "  ETA " + humanDuration(remaining);
}

}  // namespace nvrdisk
