// Reading and writing of settings files.
#include "mardle/ini_file.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace {

std::string lowerCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::string trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

}  // namespace

bool CFIniFile::SetPathName(const std::string& path) {
    m_strPath = path;
    m_sections.clear();
    std::ifstream file(path);
    if (!file) return false;
    std::string line;
    std::string currentSection;
    while (std::getline(file, line)) parseLine(trimmed(line), currentSection);
    return true;
}

void CFIniFile::parseLine(const std::string& line, std::string& currentSection) {
    if (line.empty() || line[0] == ';' || line[0] == '#') return;
    if (line.front() == '[' && line.back() == ']') {
        currentSection = trimmed(line.substr(1, line.size() - 2));
        m_sections[lowerCase(currentSection)].name = currentSection;
        return;
    }
    const size_t equals = line.find('=');
    if (equals == std::string::npos || currentSection.empty()) return;
    SetData(currentSection, trimmed(line.substr(0, equals)), trimmed(line.substr(equals + 1)));
}

std::string CFIniFile::GetData(const std::string& section, const std::string& key, const std::string& defaultValue) const {
    const auto found = m_sections.find(lowerCase(section));
    if (found == m_sections.end()) return defaultValue;
    const auto entry = found->second.entries.find(lowerCase(key));
    return entry == found->second.entries.end() ? defaultValue : entry->second.value;
}

bool CFIniFile::HasData(const std::string& section, const std::string& key) const {
    const auto found = m_sections.find(lowerCase(section));
    return found != m_sections.end() && found->second.entries.count(lowerCase(key)) != 0;
}

void CFIniFile::SetData(const std::string& section, const std::string& key, const std::string& value) {
    Section& target = m_sections[lowerCase(section)];
    if (target.name.empty()) target.name = section;
    target.entries[lowerCase(key)] = Entry{key, value};
}

bool CFIniFile::Save() const {
    std::error_code error;
    const std::filesystem::path path(m_strPath);
    if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path(), error);
    std::ofstream file(m_strPath, std::ios::trunc);
    for (const auto& [lowerName, section] : m_sections) {
        file << '[' << section.name << "]\n";
        for (const auto& [lowerKey, entry] : section.entries) file << entry.key << '=' << entry.value << '\n';
    }
    file.flush();
    return static_cast<bool>(file);
}
