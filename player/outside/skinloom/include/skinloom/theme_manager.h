// The theme in use: its directory, its string resources, and the text lookup built on them.
#pragma once

#include <map>
#include <memory>
#include <string>

class IThemeString {
public:
    virtual ~IThemeString() = default;
    virtual const std::string& GetString() const = 0;
};

enum ThemeResourceType {
    ThemeResourceString = 1,
};

class IThemeResource {
public:
    virtual ~IThemeResource() = default;
    virtual int GetType() const = 0;
    // The resource's object; for ThemeResourceString an IThemeString.
    virtual IThemeString* GetObject() = 0;
};

// Key-to-resource table filled from language files ("Zet_English.xaml" and the like).
class CThemeResourceDictionary {
public:
    CThemeResourceDictionary();
    ~CThemeResourceDictionary();
    // Loads the strings of a language file, named relative to the theme directory (or absolute);
    // later files override earlier keys. False when the file cannot be read or parsed.
    bool LoadResourceFile(const std::string& fileName);
    IThemeResource* Find(const std::string& key, int type);
    void SetThemeDirectory(const std::string& directory) { m_strDirectory = directory; }

private:
    std::string m_strDirectory;
    std::map<std::string, std::unique_ptr<IThemeResource>> m_resources;
};

class CThemeRootElement {
public:
    CThemeResourceDictionary* GetResourceDictionary() { return &m_dictionary; }

private:
    CThemeResourceDictionary m_dictionary;
};

class CThemeManager {
public:
    CThemeManager();  // becomes the current manager
    ~CThemeManager();
    CThemeManager(const CThemeManager&) = delete;
    CThemeManager& operator=(const CThemeManager&) = delete;

    // Takes the theme directory, relative to the program's directory unless absolute.
    // 0 when the directory exists, nonzero otherwise.
    int InitThemeManager(const std::string& themeDirectory);
    CThemeRootElement* GetRootElement() { return &m_root; }
    // The manager constructed last and still alive, or null.
    static CThemeManager* GetThemeManger();
    // The resource of `key` and `type`, or null.
    IThemeResource* FindResourceA(const std::string& key, int type);
    // Absolute theme directory, ending with '/'; empty before a successful InitThemeManager.
    const std::string& GetThemeDirectory() const { return m_strDirectory; }

private:
    std::string m_strDirectory;
    CThemeRootElement m_root;
};

// The text shown for `key`: the current theme's string resource when there is one; else
// `defaultText` when it is not empty; else the key itself.
std::string ThemeText(const std::string& key, const std::string& defaultText = std::string());
