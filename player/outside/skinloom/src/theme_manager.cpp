// The theme manager, its string resources and the text lookup rule.
//
// A language file holds the strings of one language:
//   <Strings><String Key="VideoCheck">Video check</String> ... </Strings>
#include "skinloom/theme_manager.h"

#include <filesystem>
#include <system_error>

#include <QFile>
#include <QXmlStreamReader>

#include "program_directory.h"

namespace {

CThemeManager* g_pCurrentManager = nullptr;  // used on the window thread only

class ThemeString final : public IThemeString, public IThemeResource {
public:
    explicit ThemeString(std::string text) : m_strText(std::move(text)) {}
    const std::string& GetString() const override { return m_strText; }
    int GetType() const override { return ThemeResourceString; }
    IThemeString* GetObject() override { return this; }

private:
    std::string m_strText;
};

bool readStrings(QXmlStreamReader& xml, std::map<std::string, std::unique_ptr<IThemeResource>>& strings) {
    if (!xml.readNextStartElement() || xml.name() != u"Strings") return false;
    while (xml.readNextStartElement()) {
        if (xml.name() != u"String") {
            xml.skipCurrentElement();
            continue;
        }
        const std::string key = xml.attributes().value("Key").toString().toStdString();
        const std::string text = xml.readElementText().toStdString();
        if (!key.empty()) strings[key] = std::make_unique<ThemeString>(text);
    }
    return !xml.hasError();
}

}  // namespace

CThemeResourceDictionary::CThemeResourceDictionary() = default;
CThemeResourceDictionary::~CThemeResourceDictionary() = default;

bool CThemeResourceDictionary::LoadResourceFile(const std::string& fileName) {
    const std::string path = !fileName.empty() && fileName[0] == '/' ? fileName : m_strDirectory + fileName;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return false;
    QXmlStreamReader xml(&file);
    std::map<std::string, std::unique_ptr<IThemeResource>> strings;
    if (!readStrings(xml, strings)) return false;  // a broken file changes nothing
    for (auto& [key, resource] : strings) m_resources[key] = std::move(resource);
    return true;
}

IThemeResource* CThemeResourceDictionary::Find(const std::string& key, int type) {
    const auto found = m_resources.find(key);
    if (found == m_resources.end() || found->second->GetType() != type) return nullptr;
    return found->second.get();
}

CThemeManager::CThemeManager() { g_pCurrentManager = this; }

CThemeManager::~CThemeManager() {
    if (g_pCurrentManager == this) g_pCurrentManager = nullptr;
}

int CThemeManager::InitThemeManager(const std::string& themeDirectory) {
    std::string directory = !themeDirectory.empty() && themeDirectory[0] == '/' ? themeDirectory
                                                                                 : skinloom_detail::programDirectory() + themeDirectory;
    if (directory.empty() || directory.back() != '/') directory += '/';
    std::error_code error;
    if (!std::filesystem::is_directory(directory, error)) return 1;
    m_strDirectory = directory;
    m_root.GetResourceDictionary()->SetThemeDirectory(directory);
    return 0;
}

CThemeManager* CThemeManager::GetThemeManger() { return g_pCurrentManager; }

IThemeResource* CThemeManager::FindResourceA(const std::string& key, int type) {
    return m_root.GetResourceDictionary()->Find(key, type);
}

std::string ThemeText(const std::string& key, const std::string& defaultText) {
    if (CThemeManager* manager = CThemeManager::GetThemeManger()) {
        if (IThemeResource* resource = manager->FindResourceA(key, ThemeResourceString)) return resource->GetObject()->GetString();
    }
    return defaultText.empty() ? key : defaultText;
}
