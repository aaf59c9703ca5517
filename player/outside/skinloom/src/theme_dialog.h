// The Qt dialog behind a themed window: delivers posted messages and reports closing.
#pragma once

#include <memory>

#include <QDialog>
#include <QEvent>

#include "skinloom/theme_window.h"

namespace skinloom_detail {

// A posted message in Qt's event queue. It owns the payload, so an undelivered message releases
// its payload when Qt drops the event together with the window.
class MessageEvent final : public QEvent {
public:
    static QEvent::Type eventType();
    MessageEvent(uint32_t id, std::unique_ptr<ThemeMessagePayload> payload, intptr_t lParam)
        : QEvent(eventType()), m_nId(id), m_pPayload(std::move(payload)), m_lParam(lParam) {}
    ThemeMessage message() const { return ThemeMessage{m_nId, m_pPayload.get(), m_lParam}; }

private:
    uint32_t m_nId;
    std::unique_ptr<ThemeMessagePayload> m_pPayload;
    intptr_t m_lParam;
};

class ThemeDialog final : public QDialog {
public:
    explicit ThemeDialog(CThemeWindowBase* owner);
    // Stops calls into the owner, which is being destroyed.
    void detach() { m_pOwner = nullptr; }

protected:
    bool event(QEvent* event) override;

private:
    CThemeWindowBase* m_pOwner;
};

}  // namespace skinloom_detail
