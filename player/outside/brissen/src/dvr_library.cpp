// Class registries of libraries, and the program's own library.
#include "brissen/dvr_library.h"

CDVRLibrary::CDVRLibrary(std::string name, std::string version, int number)
    : m_strName(std::move(name)), m_strVersion(std::move(version)), m_nNumber(number) {}

IDVRClassObject* CDVRLibrary::FindClassObject(const char* className) {
    if (className == nullptr) return nullptr;
    const auto found = m_classes.lower_bound({className, std::string()});
    return found != m_classes.end() && found->first.first == className ? found->second.get() : nullptr;
}

IDVRClassObject* CDVRLibrary::FindClassObject(const std::string& className, const std::string& secondName) {
    const auto found = m_classes.find({className, secondName});
    return found == m_classes.end() ? nullptr : found->second.get();
}

bool CDVRLibrary::RegisterClassObject(std::unique_ptr<IDVRClassObject> classObject, const std::string& secondName) {
    if (!classObject) return false;
    auto key = std::make_pair(classObject->GetClassName(), secondName);
    return m_classes.emplace(std::move(key), std::move(classObject)).second;
}

CDVRLibrary& DVRApplicationLibrary() {
    // Built on first use, so registrations from any static initialiser find it ready.
    static CDVRLibrary library("ZETLIBAPP", "1.0", 100);
    return library;
}
