// Themed windows: built from a layout file of the theme, with events, posted messages and a
// modal run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "skinloom/theme_element.h"
#include "skinloom/theme_event.h"

class QWidget;

namespace skinloom_detail {
class ThemeDialog;
}

// What a posted message carries. The framework owns it: it is released after WindowProc, or
// with the window when the message is never delivered.
class ThemeMessagePayload {
public:
    virtual ~ThemeMessagePayload() = default;
};

struct ThemeMessage {
    uint32_t id = 0;
    const ThemeMessagePayload* payload = nullptr;  // the wParam record, or null
    intptr_t lParam = 0;
};

class CThemeWindowBase : public IThemeEventHandler {
public:
    CThemeWindowBase();
    ~CThemeWindowBase() override;
    CThemeWindowBase(const CThemeWindowBase&) = delete;
    CThemeWindowBase& operator=(const CThemeWindowBase&) = delete;

    // The layout file, named relative to the current theme's directory (e.g. "DlgVesquil.xaml").
    void SetLayoutFile(const std::string& fileName) { m_strLayoutFile = fileName; }
    const std::string& GetLayoutFile() const { return m_strLayoutFile; }

    // Builds the window from its layout and calls CreateElement; false when the layout cannot be
    // read. Needs the application object.
    bool Create();
    // Shows the window modally (creating it first when needed) and returns when it has closed
    // and DestroyElement has run: 1 after Close, 0 after the close button, -1 without a layout.
    int ShowDialog();
    // Shows the window without waiting (the caller runs the event loop).
    bool Show();
    // Closes the window; DestroyElement runs once.
    void Close();
    bool IsOpen() const;

    void SetTitle(const std::string& title);
    std::string GetTitle() const;
    void SetMaximizedFullscreen(bool fullscreen);
    bool GetMaximizedFullscreen() const;

    IThemeElement* GetRootElement() { return m_pRoot.get(); }
    template <class T>
    T* FindElement(const std::string& name) {
        return m_pRoot ? m_pRoot->FindElement<T>(name) : nullptr;
    }
    // The native window, for embedding and for tests; null before Create.
    QWidget* GetNativeWindow() const;

    // Any thread: queues a message for WindowProc on the window's thread.
    void PostMessage(uint32_t id, std::unique_ptr<ThemeMessagePayload> payload, intptr_t lParam = 0);

    void OnEvent(const ThemeEvent& event) override;
    virtual void WindowProc(const ThemeMessage& message);

protected:
    // Called with the root element of the new window; the base returns it unchanged.
    virtual IThemeElement* CreateElement(IThemeElement* element);
    // Called once when the window closes.
    virtual void DestroyElement();

private:
    friend class skinloom_detail::ThemeDialog;
    void windowClosed();

    std::string m_strLayoutFile;
    std::unique_ptr<skinloom_detail::ThemeDialog> m_pDialog;
    std::unique_ptr<IThemeElement> m_pRoot;
    bool m_bDestroyed = false;
};
