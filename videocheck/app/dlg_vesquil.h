// The check window: a two-column result list and an OK button; the checks run on a worker thread
// that starts one second after the window is shown.
#pragma once

#include <string>
#include <thread>

#include "brissen/dvr_object.h"
#include "skinloom/dispatcher_timer.h"
#include "skinloom/list_ctrl.h"
#include "skinloom/theme_window.h"
#include "videocheck/frame_check.h"

namespace vesquil {

constexpr int kStartTimerId = 1;
constexpr int kStartDelayMilliseconds = 1000;

class CDlgVesquil : public CThemeWindowBase, public IMsgUserXListCtrl, public IDVRObject {
public:
    CDlgVesquil();
    ~CDlgVesquil() override;

    // The file or directory to check; set before the window is shown.
    void SetPath(const std::string& path) { m_strPath = path; }
    const std::string& GetPath() const { return m_strPath; }

    void OnEvent(const ThemeEvent& event) override;
    void WindowProc(const ThemeMessage& message) override;
    // The list's notifications are not used.
    void OnListCtrlNotify(IUserXListCtrl*, const ListNotification&) override {}

protected:
    IThemeElement* CreateElement(IThemeElement* element) override;
    void DestroyElement() override;

private:
    void setUpList();
    void startWorker();
    void joinWorker();
    void showFileUnderTest(const ThemeMessage& message);
    void showResult(const ThemeMessage& message);

    IUserXListCtrl* m_pResultList = nullptr;
    IThemeButton* m_pOkButton = nullptr;
    std::string m_strPath;
    CThemeDispatcherTimer m_timer;
    std::thread m_worker;
    // Written by the window thread, read by the worker: atomic, so the read is not a data race.
    videocheck::StopFlag m_stop{0};
};

}  // namespace vesquil
