// The check window: list set-up, the start timer, the worker's messages, OK and closing.
#include "dlg_vesquil.h"

#include "brissen/dvr_library.h"
#include "check_messages.h"
#include "check_worker.h"
#include "skinloom/theme_manager.h"
#include "videocheck/result_text.h"

namespace vesquil {
namespace {

const DVRClassRegistration<CDlgVesquil> registration("CDlgVesquil", "0");

std::string text(videocheck::ResultText entry) { return ThemeText(entry.key, entry.defaultText); }

}  // namespace

CDlgVesquil::CDlgVesquil() = default;

CDlgVesquil::~CDlgVesquil() {
    // A window destroyed without being closed still stops and joins its worker.
    m_stop = 1;
    joinWorker();
}

IThemeElement* CDlgVesquil::CreateElement(IThemeElement* element) {
    IThemeElement* created = CThemeWindowBase::CreateElement(element);
    SetTitle(ThemeText("VideoCheck", "视频校验"));
    m_pResultList = FindElement<IUserXListCtrl>("VideoCheckResultList");
    m_pOkButton = FindElement<IThemeButton>("OkButton");
    if (m_pResultList != nullptr) setUpList();
    m_timer.SetInterval(kStartDelayMilliseconds);
    m_timer.SetHander(this);
    m_timer.SetID(kStartTimerId);
    m_timer.Start();
    return created;
}

void CDlgVesquil::setUpList() {
    m_pResultList->SetHeaderHeight(25.0f);
    m_pResultList->SetRowHeight(22);
    m_pResultList->InsertColumn(0, ThemeText("PBClip_EXEName", "文件名"), ListFormatCenter, 360, -1);
    m_pResultList->InsertColumn(1, ThemeText("CheckResult", "校验结果"), ListFormatLeft, 250, -1);
    m_pResultList->SetObserver(this);
    m_pResultList->Refresh();
}

void CDlgVesquil::OnEvent(const ThemeEvent& event) {
    if (event.name == "Timer" && event.timerId == kStartTimerId) {
        m_timer.Stop();
        if (m_pOkButton != nullptr) m_pOkButton->SetEnabled(false);
        startWorker();
    } else if (event.name == "OKClick") {
        joinWorker();
        Close();
    }
    CThemeWindowBase::OnEvent(event);
}

void CDlgVesquil::startWorker() {
    if (m_worker.joinable()) return;
    m_worker = std::thread([this] { runCheckWorker(m_strPath, m_stop, *this); });
}

void CDlgVesquil::joinWorker() {
    if (m_worker.joinable()) m_worker.join();
}

void CDlgVesquil::WindowProc(const ThemeMessage& message) {
    if (message.id == kMessageFileUnderTest) showFileUnderTest(message);
    if (message.id == kMessageFileResult) showResult(message);
    if (message.id == kMessageAllDone && m_pOkButton != nullptr) m_pOkButton->SetEnabled(true);
    CThemeWindowBase::WindowProc(message);
}

void CDlgVesquil::showFileUnderTest(const ThemeMessage& message) {
    const auto* record = dynamic_cast<const FileUnderTest*>(message.payload);
    if (record == nullptr || m_pResultList == nullptr) return;
    m_pResultList->InsertItem(record->index, "");
    m_pResultList->SetItemText(record->index, 0, record->fileName);
    m_pResultList->SetItemText(record->index, 1, text(videocheck::checkingText()));
}

void CDlgVesquil::showResult(const ThemeMessage& message) {
    const auto* record = dynamic_cast<const FileResult*>(message.payload);
    if (record == nullptr || m_pResultList == nullptr) return;
    const auto code = static_cast<videocheck::CheckCode>(record->result);
    m_pResultList->SetItemText(record->index, 1, text(videocheck::resultText(code)));
}

void CDlgVesquil::DestroyElement() {
    CThemeWindowBase::DestroyElement();
    m_timer.Stop();
    m_stop = 1;
    joinWorker();
}

}  // namespace vesquil
