// Settings lookup over the user's settings file and the program's own "program.ini".
#include "mardle/data_environment.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <system_error>

#include "mardle/ini_file.h"

namespace {

std::mutex& userNameLock() {
    static std::mutex lock;
    return lock;
}

std::string& userName() {
    static std::string name;
    return name;
}

bool isSafeDirectoryName(const std::string& name) {
    // The name comes from another program's command line: it must not reach outside the config dir.
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

std::string configHome() {
    const char* configured = std::getenv("XDG_CONFIG_HOME");
    if (configured != nullptr && configured[0] == '/') return configured;
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "") + "/.config";
}

std::string withSeparator(std::string directory) {
    if (directory.empty() || directory.back() != '/') directory += '/';
    return directory;
}

}  // namespace

void CDataEnvironmentPath::SetUserDirName(const std::string& name) {
    const std::lock_guard guard(userNameLock());
    userName() = isSafeDirectoryName(name) ? name : std::string();
}

std::string CDataEnvironmentPath::GetUserDirName() {
    const std::lock_guard guard(userNameLock());
    return userName();
}

std::string CDataEnvironmentPath::GetUserIniPath() {
    const std::string name = GetUserDirName();
    return name.empty() ? std::string() : configHome() + "/" + name + "/settings.ini";
}

CDataEnvironment& CDataEnvironment::GetData() {
    static CDataEnvironment environment(CFSystemApi::GetExePath());
    return environment;
}

CDataEnvironment::CDataEnvironment(std::string programDirectory) : m_strPathExe(withSeparator(std::move(programDirectory))) {}

std::string CDataEnvironment::GetIniData(const std::string& section, const std::string& key,
                                         const std::string& defaultValue) const {
    CFIniFile user;
    const std::string userPath = CDataEnvironmentPath::GetUserIniPath();
    if (!userPath.empty() && user.SetPathName(userPath) && user.HasData(section, key)) return user.GetData(section, key, defaultValue);
    CFIniFile program;
    program.SetPathName(m_strPathExe + "program.ini");
    return program.GetData(section, key, defaultValue);
}

int CDataEnvironment::GetIniData(const std::string& section, const std::string& key, int defaultValue) const {
    const std::string text = GetIniData(section, key, std::string());
    char* end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 10);
    return text.empty() || end == text.c_str() ? defaultValue : static_cast<int>(value);
}

bool CDataEnvironment::SetIniDataUser(const std::string& section, const std::string& key, const std::string& value) {
    const std::string userPath = CDataEnvironmentPath::GetUserIniPath();
    if (userPath.empty()) return false;
    CFIniFile user;
    user.SetPathName(userPath);
    user.SetData(section, key, value);
    return user.Save();
}

std::string CDataEnvironment::GetPathTemp() const {
    std::error_code error;
    const std::filesystem::path directory = std::filesystem::temp_directory_path(error);
    return withSeparator(error ? std::string("/tmp") : directory.string());
}

std::string CFSystemApi::GetExePath() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("./") : withSeparator(program.parent_path().string());
}

std::string CFSystemApi::GetExeName() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : program.filename().string();
}

void CFSystemApi::Trace(const char* format, ...) {
    const char* debug = std::getenv("NVRDISK_DEBUG");
    if (debug == nullptr || std::string_view(debug) != "1") return;
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(stderr, format, arguments);
    va_end(arguments);
    std::fputc('\n', stderr);
}

int CFSystemApi::FindFile(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(path, error) ? 1 : 0;
}
