// The process-wide environment: settings lookup over the user's settings and "program.ini".
#pragma once

#include <string>

// Selects whose user settings are read: "$XDG_CONFIG_HOME/<name>/settings.ini" (XDG_CONFIG_HOME
// defaults to "$HOME/.config"). A name that is empty, ".", ".." or holds a '/' selects none.
class CDataEnvironmentPath {
public:
    static void SetUserDirName(const std::string& name);
    static std::string GetUserDirName();
    // The user settings file of the selected name, or empty when none is selected.
    static std::string GetUserIniPath();
};

class CDataEnvironment {
public:
    // The environment of this process, for the program's own directory.
    static CDataEnvironment& GetData();
    // An environment whose program directory is `programDirectory` (ends with '/').
    explicit CDataEnvironment(std::string programDirectory);

    // Lookup order: the user settings, then "program.ini" in the program directory, then the default.
    int GetIniData(const std::string& section, const std::string& key, int defaultValue) const;
    std::string GetIniData(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    // Stores a value in the user settings; false when no user is selected or the file cannot be written.
    bool SetIniDataUser(const std::string& section, const std::string& key, const std::string& value);

    // The program directory, ending with '/', so file names can be appended directly.
    const std::string& GetPathExe() const { return m_strPathExe; }
    // The directory for temporary output, ending with '/'.
    std::string GetPathTemp() const;

private:
    std::string m_strPathExe;
};

// Small services about the running program.
class CFSystemApi {
public:
    // The directory of the running program, ending with '/'.
    static std::string GetExePath();
    static std::string GetExeName();
    // printf-style diagnostics, written to stderr only when NVRDISK_DEBUG=1.
    static void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));
    // Nonzero when `path` exists.
    static int FindFile(const std::string& path);
};
