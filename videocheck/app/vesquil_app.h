// Start-up of the check tool: command line, settings, theme, the window.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "skinloom/theme_manager.h"

class IBrissenMgr;

namespace vesquil {

struct CommandLine {
    std::string appName;    // "APPNAME": whose user settings are read
    std::string videoPath;  // "VIDEOPATH": a ".264"/".265" file or a directory
};

// The JSON object of the command line; nullopt when the text is not JSON or not an object.
// Members that are missing or not texts read as empty.
std::optional<CommandLine> parseCommandLine(const std::string& text);

class CVesquilApp {
public:
    static constexpr int kExitDone = 0;
    static constexpr int kExitBadCommandLine = 2;

    CVesquilApp();
    ~CVesquilApp();

    // Runs the program for `commandLine`: without a window when it is not valid JSON, else shows
    // the window modally until it closes. Needs the application object. Returns the exit status.
    int InitInstance(const std::string& commandLine);

    const std::string& GetThemeDirectory() const { return m_strThemeDirectory; }
    const std::string& GetLanguageFile() const { return m_strLanguageFile; }

private:
    void readSettings(const CommandLine& commandLine);
    void registerWithLibraryManager();
    void loadTheme();

    IBrissenMgr* m_pLibraryManager = nullptr;
    std::unique_ptr<CThemeManager> m_pThemeManager;
    std::string m_strThemeDirectory;
    std::string m_strLanguageFile;
};

}  // namespace vesquil
