// Events of themed windows: a name (from the layout, or "Timer") and the name of their source.
#pragma once

#include <string>

struct ThemeEvent {
    std::string name;    // e.g. "OKClick", "Timer"
    std::string source;  // name of the element that raised it; empty for timers
    int timerId = 0;     // the timer's identifier for "Timer" events
};

class IThemeEventHandler {
public:
    virtual ~IThemeEventHandler() = default;
    virtual void OnEvent(const ThemeEvent& event) = 0;
};
