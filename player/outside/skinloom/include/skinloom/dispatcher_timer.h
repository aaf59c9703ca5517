// A repeating timer of the window thread; each tick reaches its handler as an event "Timer".
#pragma once

#include <memory>

#include "skinloom/theme_event.h"

class QTimer;

class CThemeDispatcherTimer {
public:
    CThemeDispatcherTimer();
    ~CThemeDispatcherTimer();
    CThemeDispatcherTimer(const CThemeDispatcherTimer&) = delete;
    CThemeDispatcherTimer& operator=(const CThemeDispatcherTimer&) = delete;

    void SetInterval(int milliseconds);
    // The handler is not owned; it must outlive the running timer.
    void SetHander(IThemeEventHandler* handler);
    void SetID(int id);
    int GetID() const { return m_nID; }
    // Start and Stop run on the window thread (the one of the application object).
    void Start();
    void Stop();
    bool IsRunning() const;

private:
    void tick();

    std::unique_ptr<QTimer> m_timer;
    IThemeEventHandler* m_pHandler = nullptr;
    int m_nInterval = 1000;
    int m_nID = 0;
};
