// Loading the library manager module and creating objects through the libraries.
#include "brissen/brissen_manager.h"

#include <dlfcn.h>

#include "brissen/dvr_library.h"
#include "mardle/data_environment.h"

std::unique_ptr<CBrissenModule> CBrissenModule::Load(const std::string& directory) {
    std::string path = directory;
    if (!path.empty() && path.back() != '/') path += '/';
    path += "Brissen.CORE";
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) return nullptr;
    auto entry = reinterpret_cast<GetBrissenMgrEntry>(dlsym(handle, "GetBrissenMgr"));
    IBrissenMgr* manager = entry != nullptr ? entry() : nullptr;
    if (manager == nullptr) {
        dlclose(handle);
        return nullptr;
    }
    return std::unique_ptr<CBrissenModule>(new CBrissenModule(handle, manager));
}

CBrissenModule::~CBrissenModule() { dlclose(m_hModule); }

IBrissenMgr* GetBrissenManager() {
    static const std::unique_ptr<CBrissenModule> module = CBrissenModule::Load(CFSystemApi::GetExePath());
    return module ? module->GetManager() : nullptr;
}

std::unique_ptr<IDVRObject> CreateDVRObjectByName(const std::string& className, IBrissenMgr* manager) {
    if (IDVRClassObject* own = DVRApplicationLibrary().FindClassObject(className.c_str())) return own->CreateInstance();
    if (manager == nullptr) return nullptr;
    for (IDVRLibrary* library = manager->GetFirstLibrary(); library != nullptr; library = manager->GetNextLibrary(library)) {
        if (IDVRClassObject* found = library->FindClassObject(className.c_str())) return found->CreateInstance();
    }
    return nullptr;
}
