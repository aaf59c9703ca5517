// Start-up of the check tool.
#include "vesquil_app.h"

#include <memory>

#include <json/json.h>

#include "brissen/brissen_manager.h"
#include "brissen/dvr_library.h"
#include "dlg_vesquil.h"
#include "mardle/data_environment.h"

namespace vesquil {
namespace {

std::string memberText(const Json::Value& root, const char* name) {
    const Json::Value& member = root[name];
    return member.isString() ? member.asString() : std::string();
}

}  // namespace

std::optional<CommandLine> parseCommandLine(const std::string& text) {
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["collectComments"] = true;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) return std::nullopt;
    if (!root.isObject()) return std::nullopt;  // member lookup needs an object
    return CommandLine{memberText(root, "APPNAME"), memberText(root, "VIDEOPATH")};
}

CVesquilApp::CVesquilApp() = default;
CVesquilApp::~CVesquilApp() = default;

int CVesquilApp::InitInstance(const std::string& commandLineText) {
    // Qt needs no set-up of common controls, control containment or a settings key before the
    // first window.
    const std::optional<CommandLine> commandLine = parseCommandLine(commandLineText);
    if (!commandLine) return kExitBadCommandLine;
    readSettings(*commandLine);
    registerWithLibraryManager();
    loadTheme();

    CDlgVesquil window;
    CFSystemApi::Trace("%s", commandLine->videoPath.c_str());
    window.SetPath(commandLine->videoPath);
    window.SetLayoutFile("DlgVesquil.xaml");
    window.ShowDialog();
    return kExitDone;
}

void CVesquilApp::readSettings(const CommandLine& commandLine) {
    CDataEnvironmentPath::SetUserDirName(commandLine.appName);
    const CDataEnvironment& environment = CDataEnvironment::GetData();
    m_strThemeDirectory = "theme/" + environment.GetIniData("System", "Theme", std::string("zet"));
    m_strLanguageFile = "Zet_" + environment.GetIniData("System", "Language", std::string("Chinese")) + ".xaml";
}

void CVesquilApp::registerWithLibraryManager() {
    m_pLibraryManager = GetBrissenManager();
    if (m_pLibraryManager == nullptr) return;  // no playback library here: nothing to register
    m_pLibraryManager->RegisterLibrary(&DVRApplicationLibrary());
    m_pLibraryManager->LoadLibraryGroup(0, "Brissen");
}

void CVesquilApp::loadTheme() {
    m_pThemeManager = std::make_unique<CThemeManager>();
    // Failures are ignored: the window then shows the default texts, or does not open.
    m_pThemeManager->InitThemeManager(m_strThemeDirectory);
    m_pThemeManager->GetRootElement()->GetResourceDictionary()->LoadResourceFile(m_strLanguageFile);
}

}  // namespace vesquil
