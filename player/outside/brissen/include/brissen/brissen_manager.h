// Finding the library manager at run time, and creating objects by class name.
#pragma once

#include <memory>
#include <string>

#include "brissen/dvr_object.h"

// The loaded module "Brissen.CORE"; unloads it when destroyed.
class CBrissenModule {
public:
    // Loads "<directory>/Brissen.CORE" and looks up its entry; null when either is missing.
    static std::unique_ptr<CBrissenModule> Load(const std::string& directory);
    ~CBrissenModule();
    CBrissenModule(const CBrissenModule&) = delete;
    CBrissenModule& operator=(const CBrissenModule&) = delete;
    IBrissenMgr* GetManager() const { return m_pManager; }

private:
    CBrissenModule(void* handle, IBrissenMgr* manager) : m_hModule(handle), m_pManager(manager) {}
    void* m_hModule;
    IBrissenMgr* m_pManager;
};

// The manager of the module beside the program, loaded on the first call only (a failed load is
// not retried); null when the module or its entry is missing.
IBrissenMgr* GetBrissenManager();

// A new object of `className`: the program's own library is asked first, then each library of the
// manager in enumeration order. Null when no library knows the class.
std::unique_ptr<IDVRObject> CreateDVRObjectByName(const std::string& className, IBrissenMgr* manager);

// The same, cast to T; null when nothing is found or the object is not a T.
template <class T>
std::unique_ptr<T> CreateDVRObject(const std::string& className, IBrissenMgr* manager = GetBrissenManager()) {
    std::unique_ptr<IDVRObject> object = CreateDVRObjectByName(className, manager);
    T* typed = dynamic_cast<T*>(object.get());
    if (typed == nullptr) return nullptr;
    object.release();
    return std::unique_ptr<T>(typed);
}
