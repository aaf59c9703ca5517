// A library module for the group-loading test: one library with one class.
#include "brissen/dvr_library.h"

namespace {

struct ModuleObject : IDVRObject {};

}  // namespace

extern "C" __attribute__((visibility("default"))) IDVRLibrary* GetDVRLibrary() {
    static CDVRLibrary library = [] {
        CDVRLibrary made("TestLibrary", "2.0", 7);
        made.RegisterClassObject(std::make_unique<TDVRClassObject<ModuleObject>>("ModuleObject"), "0");
        return made;
    }();
    return &library;
}
