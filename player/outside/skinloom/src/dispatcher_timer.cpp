// The dispatcher timer on a Qt timer of the window thread.
#include "skinloom/dispatcher_timer.h"

#include <QTimer>

CThemeDispatcherTimer::CThemeDispatcherTimer() = default;
CThemeDispatcherTimer::~CThemeDispatcherTimer() = default;

void CThemeDispatcherTimer::SetInterval(int milliseconds) {
    m_nInterval = milliseconds > 0 ? milliseconds : 0;
    if (m_timer) m_timer->setInterval(m_nInterval);
}

void CThemeDispatcherTimer::SetHander(IThemeEventHandler* handler) { m_pHandler = handler; }

void CThemeDispatcherTimer::SetID(int id) { m_nID = id; }

void CThemeDispatcherTimer::Start() {
    if (!m_timer) {
        // Made on first start, so a timer can be a member of an object built before the application.
        m_timer = std::make_unique<QTimer>();
        QObject::connect(m_timer.get(), &QTimer::timeout, m_timer.get(), [this] { tick(); });
    }
    m_timer->start(m_nInterval);
}

void CThemeDispatcherTimer::Stop() {
    if (m_timer) m_timer->stop();
}

bool CThemeDispatcherTimer::IsRunning() const { return m_timer && m_timer->isActive(); }

void CThemeDispatcherTimer::tick() {
    if (m_pHandler != nullptr) m_pHandler->OnEvent(ThemeEvent{"Timer", std::string(), m_nID});
}
