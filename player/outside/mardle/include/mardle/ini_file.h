// Settings files of "[Section]" headers and "key=value" lines; names match without regard to case.
#pragma once

#include <map>
#include <string>

class CFIniFile {
public:
    // Reads the file at `path`; a missing or unreadable file reads as empty. False when it was not read.
    bool SetPathName(const std::string& path);
    const std::string& GetPathName() const { return m_strPath; }
    // The value of `key` in `section`, or `defaultValue` when there is none.
    std::string GetData(const std::string& section, const std::string& key, const std::string& defaultValue) const;
    bool HasData(const std::string& section, const std::string& key) const;
    void SetData(const std::string& section, const std::string& key, const std::string& value);
    // Writes every section back to the file, creating its directory; false on failure.
    bool Save() const;

private:
    struct Entry {
        std::string key;  // as written
        std::string value;
    };
    struct Section {
        std::string name;
        std::map<std::string, Entry> entries;  // by lower-case key
    };

    void parseLine(const std::string& line, std::string& currentSection);

    std::string m_strPath;
    std::map<std::string, Section> m_sections;  // by lower-case name
};
