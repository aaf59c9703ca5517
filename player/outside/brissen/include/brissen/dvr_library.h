// A library of class objects, the program's own library "ZETLIBAPP" and registration of classes
// into it during static initialisation.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <utility>

#include "brissen/dvr_object.h"

class CDVRLibrary final : public IDVRLibrary {
public:
    CDVRLibrary(std::string name, std::string version, int number);
    const char* GetName() const override { return m_strName.c_str(); }
    const char* GetVersion() const override { return m_strVersion.c_str(); }
    int GetNumber() const override { return m_nNumber; }
    IDVRClassObject* FindClassObject(const char* className) override;
    // The class object registered under the pair of names, or null.
    IDVRClassObject* FindClassObject(const std::string& className, const std::string& secondName);
    // Registers under the class object's name and `secondName`; false when that pair is taken.
    bool RegisterClassObject(std::unique_ptr<IDVRClassObject> classObject, const std::string& secondName);

private:
    std::string m_strName;
    std::string m_strVersion;
    int m_nNumber;
    std::map<std::pair<std::string, std::string>, std::unique_ptr<IDVRClassObject>> m_classes;
};

// Creates objects of T, which derives from IDVRObject and has a default constructor.
template <class T>
class TDVRClassObject final : public IDVRClassObject {
public:
    explicit TDVRClassObject(std::string name) : m_strName(std::move(name)) {}
    const std::string& GetClassName() const override { return m_strName; }
    std::unique_ptr<IDVRObject> CreateInstance() override { return std::make_unique<T>(); }
    IDVRObject* GetSharedInstance() override {
        if (!m_pShared) m_pShared = std::make_unique<T>();
        return m_pShared.get();
    }

private:
    std::string m_strName;
    std::unique_ptr<T> m_pShared;
};

// The program's own library: name "ZETLIBAPP", version "1.0", number 100.
CDVRLibrary& DVRApplicationLibrary();

// A static object of this type registers T in the program's library before main runs:
//   static const DVRClassRegistration<CDlgVesquil> registration("CDlgVesquil", "0");
template <class T>
struct DVRClassRegistration {
    DVRClassRegistration(const char* className, const char* secondName) {
        DVRApplicationLibrary().RegisterClassObject(std::make_unique<TDVRClassObject<T>>(className), secondName);
    }
};
