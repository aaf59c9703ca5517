// Opens that return a new client object: disks, directories, files, recordings. Find, file and
// recording objects register the host program's path with the library for the new object, so a
// refused format can name the program.
#include <string>

#include "export_support.h"
#include "process_state.h"
#include "protocol/constants.h"
#include "trace.h"

using namespace tolvern;

namespace {

// Keeps the object when it got an object (or disk) handle, else destroys it.
TQHDC_HANDLE Finish(ClientPointer client, uint64_t opened) {
    if (opened == 0) return nullptr;
    return Publish(std::move(client));
}

// The direct-mode open with the module path registered for whatever it returned.
uint64_t DirectOpen(TQHD_HANDLE opened) {
    TQHD_SetExeFileName(opened, ModulePath());
    return HandleValue(opened);
}

// The service-mode open: the reply's value, then the module path for a handle that is not 0.
template <typename Request>
uint64_t ServiceOpen(const CMidClient& client, Request request) {
    CClientFileOp* connection = Connected(client);
    if (connection == nullptr) return 0;
    const uint64_t opened = OpenedValue(*connection, request(*connection));
    if (opened != 0) (void)connection->SetExeFileName(ServiceHandle(opened), ModulePath());
    return opened;
}

// Opens through a disk object: the new object carries the disk handle of the given one.
template <typename Direct, typename Service>
TQHDC_HANDLE OpenOnDisk(TQHDC_HANDLE disk, Direct direct, Service service) {
    CMidClient* owner = Lookup(disk);
    if (owner == nullptr) return nullptr;
    ClientPointer client = MakeClient();
    client->m_diskHandle = owner->m_diskHandle;
    client->m_objectHandle = client->direct() ? DirectOpen(direct(LibraryHandle(client->m_diskHandle)))
                                              : ServiceOpen(*client, [&](CClientFileOp& connection) {
                                                    return service(connection, ServiceHandle(client->m_diskHandle));
                                                });
    const uint64_t opened = client->m_objectHandle;
    return Finish(std::move(client), opened);
}

// Opens by a name or path: no disk object is involved.
template <typename Direct, typename Service>
TQHDC_HANDLE OpenByName(const char* name, Direct direct, Service service) {
    if (name == nullptr) return nullptr;
    ClientPointer client = MakeClient();
    client->m_name = name;
    client->m_objectHandle = client->direct() ? DirectOpen(direct()) : ServiceOpen(*client, service);
    const uint64_t opened = client->m_objectHandle;
    return Finish(std::move(client), opened);
}

// Disk opens fill the disk handle and register no module path.
template <typename Direct, typename Service>
TQHDC_HANDLE OpenDisk(const char* name, Direct direct, Service service) {
    ClientPointer client = MakeClient();
    client->m_name = name;
    if (client->direct()) {
        client->m_diskHandle = HandleValue(direct());
    } else if (CClientFileOp* connection = Connected(*client)) {
        client->m_diskHandle = OpenedValue(*connection, service(*connection));
    }
    const uint64_t opened = client->m_diskHandle;
    return Finish(std::move(client), opened);
}

}  // namespace

extern "C" {

TQHDC_HANDLE TQHDC_OpenHardDisk(const TQHD_DISK_INFO* info) {
    return Guarded<TQHDC_HANDLE>(nullptr, [&]() -> TQHDC_HANDLE {
        if (info == nullptr) return nullptr;
        return OpenDisk(nullptr, [&] { return TQHD_OpenHardDisk(info); },
                        [&](CClientFileOp& connection) { return connection.OpenHardDisk(*info); });
    });
}

TQHDC_HANDLE TQHDC_OpenHardDiskByRName(const char* rname) {
    return Guarded<TQHDC_HANDLE>(nullptr, [&]() -> TQHDC_HANDLE {
        if (rname == nullptr) return nullptr;
        return OpenDisk(rname, [&] { return TQHD_OpenHardDiskByRName(rname); },
                        [&](CClientFileOp& connection) { return connection.OpenHardDiskByRName(rname); });
    });
}

TQHDC_HANDLE TQHDC_OpenHardDiskByDir(const char* path) {
    return Guarded<TQHDC_HANDLE>(nullptr, [&]() -> TQHDC_HANDLE {
        if (path == nullptr) return nullptr;
        return OpenDisk(path, [&] { return TQHD_OpenHardDiskByDir(path); },
                        [&](CClientFileOp& connection) { return connection.OpenHardDiskByDir(path); });
    });
}

TQHDC_HANDLE TQHDC_OpenFindFile(TQHDC_HANDLE disk, const TQHD_FIND_DATA* from, int32_t volume) {
    return Guarded<TQHDC_HANDLE>(nullptr, [&] {
        return OpenOnDisk(
            disk, [&](TQHD_HANDLE library) { return TQHD_OpenFindFile(library, from, volume); },
            [&](CClientFileOp& connection, uint32_t service) { return connection.OpenFindFile(service, from, volume); });
    });
}

TQHDC_HANDLE TQHDC_OpenFindFileByRName(const char* rname) {
    return Guarded<TQHDC_HANDLE>(nullptr, [&] {
        return OpenByName(rname, [&] { return TQHD_OpenFindFileByRName(rname); },
                          [&](CClientFileOp& connection) { return connection.OpenFindFileByRName(rname); });
    });
}

TQHDC_HANDLE TQHDC_OpenFileByFind(TQHDC_HANDLE disk, const TQHD_FIND_DATA* record) {
    return Guarded<TQHDC_HANDLE>(nullptr, [&]() -> TQHDC_HANDLE {
        if (record == nullptr) return nullptr;
        return OpenOnDisk(
            disk, [&](TQHD_HANDLE library) { return TQHD_OpenFileByFind(library, record); },
            [&](CClientFileOp& connection, uint32_t service) { return connection.OpenFileByFind(service, *record); });
    });
}

TQHDC_HANDLE TQHDC_OpenFileByRName(const char* rname) {
    return Guarded<TQHDC_HANDLE>(nullptr, [&] {
        return OpenByName(rname, [&] { return TQHD_OpenFileByRName(rname); },
                          [&](CClientFileOp& connection) { return connection.OpenFileByRName(rname); });
    });
}

TQHDC_HANDLE TQHDC_OpenAVFileByFind(TQHDC_HANDLE disk, const TQHD_FIND_DATA* record) {
    return Guarded<TQHDC_HANDLE>(nullptr, [&]() -> TQHDC_HANDLE {
        if (record == nullptr) return nullptr;
        return OpenOnDisk(
            disk, [&](TQHD_HANDLE library) { return TQHD_OpenAVFileByFind(library, record); },
            [&](CClientFileOp& connection, uint32_t service) { return connection.OpenAVFileByFind(service, *record); });
    });
}

TQHDC_HANDLE TQHDC_OpenAVFileByIndexFileCon(TQHDC_HANDLE disk, char* indexData, uint32_t length) {
    return Guarded<TQHDC_HANDLE>(nullptr, [&]() -> TQHDC_HANDLE {
        // The section carries the index data in one piece, before the request is sent.
        if (indexData == nullptr || length > protocol::kSectionSize) {
            CMidClient* owner = Lookup(disk);
            if (owner == nullptr || !owner->direct()) return nullptr;
        }
        return OpenOnDisk(
            disk, [&](TQHD_HANDLE library) { return TQHD_OpenAVFileByIndexFileCon(library, indexData, length); },
            [&](CClientFileOp& connection, uint32_t service) {
                connection.ResetReceiveState();
                if (!connection.sectionMapped()) return TQHD_E_FAIL;
                connection.SectionWrite(indexData, length);
                return connection.OpenAVFileByIndexFileCon(service, length);
            });
    });
}

TQHDC_HANDLE TQHDC_OpenAVFileByName(const char* path, int32_t mode) {
    return Guarded<TQHDC_HANDLE>(nullptr, [&] {
        return OpenByName(path, [&] { return TQHD_OpenAVFileByName(path, mode); },
                          [&](CClientFileOp& connection) { return connection.OpenAVFileByName(path, mode); });
    });
}

TQHDC_HANDLE TQHDC_OpenAVFileByRName(const char* rname) {
    return Guarded<TQHDC_HANDLE>(nullptr, [&] {
        Trace("at %d，开始打开录像文件 = %s\n", rname);
        TQHDC_HANDLE opened = OpenByName(rname, [&] { return TQHD_OpenAVFileByRName(rname); },
                                         [&](CClientFileOp& connection) { return connection.OpenAVFileByRName(rname); });
        Trace("at %d，打开录像文件结束 = %s\n", rname);
        return opened;
    });
}

}  // extern "C"
