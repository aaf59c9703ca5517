// Interfaces of the playback library: objects, class objects, libraries and the library manager.
#pragma once

#include <memory>
#include <string>

// Base of every object a class object creates; the caller casts it to the interface it needs.
class IDVRObject {
public:
    virtual ~IDVRObject() = default;
};

// Creates the objects of one class.
class IDVRClassObject {
public:
    virtual ~IDVRClassObject() = default;
    virtual const std::string& GetClassName() const = 0;
    virtual std::unique_ptr<IDVRObject> CreateInstance() = 0;
    // One instance shared by every caller, owned by the class object.
    virtual IDVRObject* GetSharedInstance() = 0;
};

// A named, versioned set of class objects.
class IDVRLibrary {
public:
    virtual ~IDVRLibrary() = default;
    virtual const char* GetName() const = 0;
    virtual const char* GetVersion() const = 0;
    virtual int GetNumber() const = 0;
    // The class object registered under `className`, or null.
    virtual IDVRClassObject* FindClassObject(const char* className) = 0;
};

// The library manager exported by the module "Brissen.CORE" through its entry "GetBrissenMgr".
// It belongs to the module; registered libraries stay their owners' and must outlive it.
class IBrissenMgr {
public:
    // 0 on success; -1 for a null library or one already registered.
    virtual int RegisterLibrary(IDVRLibrary* library) = 0;
    // Loads the modules of a library group and registers their libraries; `flags` is 0.
    // Returns the number of libraries added, or -1 when the group is unknown.
    virtual int LoadLibraryGroup(int flags, const char* group) = 0;
    // Libraries in registration order: the first, then the one after `library`; null past the end.
    virtual IDVRLibrary* GetFirstLibrary() = 0;
    virtual IDVRLibrary* GetNextLibrary(IDVRLibrary* library) = 0;
    // The library with `number`, or null.
    virtual IDVRLibrary* GetLibrary(int number) = 0;

protected:
    ~IBrissenMgr() = default;
};

extern "C" {
// The module's entry "GetBrissenMgr".
using GetBrissenMgrEntry = IBrissenMgr* (*)();
// The entry "GetDVRLibrary" of a module named in a library group.
using GetDVRLibraryEntry = IDVRLibrary* (*)();
}
