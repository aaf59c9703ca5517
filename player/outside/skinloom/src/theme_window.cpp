// Themed windows on Qt dialogs.
#include "skinloom/theme_window.h"

#include <QCoreApplication>
#include <QString>

#include "layout_loader.h"
#include "skinloom/theme_manager.h"
#include "theme_dialog.h"

namespace skinloom_detail {

QEvent::Type MessageEvent::eventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

ThemeDialog::ThemeDialog(CThemeWindowBase* owner) : m_pOwner(owner) {
    connect(this, &QDialog::finished, this, [this] {
        if (m_pOwner != nullptr) m_pOwner->windowClosed();
    });
}

bool ThemeDialog::event(QEvent* event) {
    if (event->type() != MessageEvent::eventType()) return QDialog::event(event);
    if (m_pOwner != nullptr) m_pOwner->WindowProc(static_cast<MessageEvent*>(event)->message());
    return true;
}

}  // namespace skinloom_detail

using skinloom_detail::ThemeDialog;

CThemeWindowBase::CThemeWindowBase() = default;

CThemeWindowBase::~CThemeWindowBase() {
    // The derived part is gone: a window still open closes without calling back.
    if (m_pDialog) m_pDialog->detach();
    m_pRoot.reset();
}

bool CThemeWindowBase::Create() {
    if (m_pDialog) return true;
    const CThemeManager* manager = CThemeManager::GetThemeManger();
    const std::string directory = manager != nullptr ? manager->GetThemeDirectory() : std::string();
    auto dialog = std::make_unique<ThemeDialog>(this);
    skinloom_detail::Layout layout = skinloom_detail::loadLayout(directory + m_strLayoutFile, dialog.get(), this);
    if (!layout.root) return false;
    m_pDialog = std::move(dialog);
    m_pRoot = std::move(layout.root);
    m_pDialog->setWindowTitle(QString::fromStdString(layout.title));
    if (layout.width > 0 && layout.height > 0) m_pDialog->resize(layout.width, layout.height);
    m_bDestroyed = false;
    CreateElement(m_pRoot.get());
    return true;
}

int CThemeWindowBase::ShowDialog() {
    if (!Create()) return -1;
    return m_pDialog->exec();
}

bool CThemeWindowBase::Show() {
    if (!Create()) return false;
    m_pDialog->show();
    return true;
}

void CThemeWindowBase::Close() {
    if (m_pDialog && m_pDialog->isVisible()) m_pDialog->done(QDialog::Accepted);
}

bool CThemeWindowBase::IsOpen() const { return m_pDialog && m_pDialog->isVisible(); }

void CThemeWindowBase::SetTitle(const std::string& title) {
    if (m_pDialog) m_pDialog->setWindowTitle(QString::fromStdString(title));
}

std::string CThemeWindowBase::GetTitle() const { return m_pDialog ? m_pDialog->windowTitle().toStdString() : std::string(); }

void CThemeWindowBase::SetMaximizedFullscreen(bool fullscreen) {
    if (!m_pDialog) return;
    m_pDialog->setWindowState(fullscreen ? Qt::WindowFullScreen : Qt::WindowNoState);
}

bool CThemeWindowBase::GetMaximizedFullscreen() const { return m_pDialog && m_pDialog->isFullScreen(); }

QWidget* CThemeWindowBase::GetNativeWindow() const { return m_pDialog.get(); }

void CThemeWindowBase::PostMessage(uint32_t id, std::unique_ptr<ThemeMessagePayload> payload, intptr_t lParam) {
    if (!m_pDialog) return;  // nothing to deliver to; the payload is released here
    QCoreApplication::postEvent(m_pDialog.get(), new skinloom_detail::MessageEvent(id, std::move(payload), lParam));
}

void CThemeWindowBase::OnEvent(const ThemeEvent&) {}

void CThemeWindowBase::WindowProc(const ThemeMessage&) {}

IThemeElement* CThemeWindowBase::CreateElement(IThemeElement* element) { return element; }

void CThemeWindowBase::DestroyElement() {}

void CThemeWindowBase::windowClosed() {
    if (m_bDestroyed) return;
    m_bDestroyed = true;
    DestroyElement();
}
