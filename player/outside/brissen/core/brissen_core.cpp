// The library manager module "Brissen.CORE": registered libraries and library groups.
//
// A library group "<name>" is the file "<name>.group" beside this module: one module file name a
// line, each module exporting "GetDVRLibrary". Lines starting with '#' are comments.
#include <dlfcn.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "brissen/dvr_object.h"

namespace {

std::string moduleDirectory() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&moduleDirectory), &info) == 0 || info.dli_fname == nullptr) return "./";
    const std::string path = info.dli_fname;
    const size_t separator = path.rfind('/');
    return separator == std::string::npos ? "./" : path.substr(0, separator + 1);
}

struct ModuleCloser {
    void operator()(void* handle) const { dlclose(handle); }
};

class CBrissenMgr final : public IBrissenMgr {
public:
    int RegisterLibrary(IDVRLibrary* library) override {
        if (library == nullptr || std::find(m_libraries.begin(), m_libraries.end(), library) != m_libraries.end()) return -1;
        m_libraries.push_back(library);
        return 0;
    }

    int LoadLibraryGroup(int, const char* group) override {
        if (group == nullptr) return -1;
        std::ifstream list(moduleDirectory() + group + ".group");
        if (!list) return -1;
        int added = 0;
        for (std::string line; std::getline(list, line);) {
            if (!line.empty() && line[0] != '#' && loadModule(moduleDirectory() + line)) ++added;
        }
        return added;
    }

    IDVRLibrary* GetFirstLibrary() override { return m_libraries.empty() ? nullptr : m_libraries.front(); }

    IDVRLibrary* GetNextLibrary(IDVRLibrary* library) override {
        auto found = std::find(m_libraries.begin(), m_libraries.end(), library);
        return found == m_libraries.end() || ++found == m_libraries.end() ? nullptr : *found;
    }

    IDVRLibrary* GetLibrary(int number) override {
        for (IDVRLibrary* library : m_libraries) {
            if (library->GetNumber() == number) return library;
        }
        return nullptr;
    }

private:
    bool loadModule(const std::string& path) {
        std::unique_ptr<void, ModuleCloser> handle(dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL));
        if (!handle) return false;
        auto entry = reinterpret_cast<GetDVRLibraryEntry>(dlsym(handle.get(), "GetDVRLibrary"));
        if (entry == nullptr || RegisterLibrary(entry()) != 0) return false;
        m_modules.push_back(std::move(handle));
        return true;
    }

    std::vector<IDVRLibrary*> m_libraries;
    std::vector<std::unique_ptr<void, ModuleCloser>> m_modules;
};

}  // namespace

extern "C" __attribute__((visibility("default"))) IBrissenMgr* GetBrissenMgr() {
    static CBrissenMgr manager;
    return &manager;
}
