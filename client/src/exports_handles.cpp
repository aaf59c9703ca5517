// Calls on an existing client object: close, volumes, listings, reads, seeks, lengths, stop, and
// the two unsupported parameter calls.
#include "export_support.h"

using namespace tolvern;

namespace {

// 64-bit results travel as extra (low half) and value (high half) of the reply.
int64_t WideResult(CClientFileOp& connection, int32_t code) {
    if (code != TQHD_OK || !connection.replied()) return -1;
    const uint64_t low = connection.reply().extra;
    const uint64_t high = connection.reply().value;
    return static_cast<int64_t>(high << 32 | low);
}

int32_t ServiceRead(CClientFileOp& connection, uint32_t file, void* buffer, int32_t length) {
    // The service streams what it read into the section; a missing buffer could not take it.
    if (buffer == nullptr || length < 0) return -1;
    const int32_t code = connection.ReadFile(file, static_cast<uint32_t>(length));
    if (code != TQHD_OK || !connection.replied()) return -1;
    const auto got = static_cast<int32_t>(connection.reply().value);
    if (got > length) {  // more than asked for: not a reply this request can take
        connection.Abandon();
        return -1;
    }
    // Bytes the section did not deliver (a lost service) are not reported as read.
    if (got > 0 && !connection.SectionRead(buffer, static_cast<uint32_t>(got))) return -1;
    return got;
}

int32_t ServiceListing(CClientFileOp& connection, uint32_t directory, TQHD_FIND_DATA* first) {
    const int32_t code = connection.GetFindFile(directory);
    if (code != TQHD_OK) return code;
    if (!connection.replied() || connection.reply().extra == 0) return TQHD_OK;
    if (!connection.ReadListing(connection.reply().extra, connection.reply().value)) return protocol::kReadFailed;
    const TQHD_FIND_DATA* head = connection.ListingHead();
    if (head == nullptr) return TQHD_OK;
    *first = *head;  // the caller's record: its pNext leads to the second record of the listing
    return TQHD_OK;
}

}  // namespace

extern "C" {

int32_t TQHDC_CloseHandle(TQHDC_HANDLE handle) {
    return Guarded(TQHD_E_FAIL, [&] {
        CMidClient* client = Lookup(handle);
        if (client == nullptr) return TQHD_E_PARAM;
        int32_t code = TQHD_E_FAIL;
        if (client->direct()) code = TQHD_CloseHandle(LibraryHandle(client->m_objectHandle));
        else if (CClientFileOp* connection = Connected(*client))
            code = connection->CloseHandle(ServiceHandle(client->m_objectHandle));
        // A lost connection cannot close anything later: the service closed the session's
        // handles when it ended, so the object goes too.
        if (code == TQHD_OK || (!client->direct() && !client->connection()->usable())) Release(client);
        return code;
    });
}

int32_t TQHDC_GetDriverList(TQHDC_HANDLE disk, TQHD_DRIVER_INFO* list, int32_t* count) {
    return Guarded(TQHD_E_FAIL, [&] {
        CMidClient* client = Lookup(disk);
        if (client == nullptr) return TQHD_E_PARAM;
        if (client->direct()) return TQHD_GetDriverList(LibraryHandle(client->m_diskHandle), list, count);
        CClientFileOp* connection = Connected(*client);
        if (connection == nullptr) return TQHD_E_FAIL;
        if (count == nullptr) return TQHD_E_PARAM;
        const int32_t code = connection->GetDriverList(ServiceHandle(client->m_diskHandle));
        return TakeDriverList(*connection, code, list, count);
    });
}

int32_t TQHDC_GetFindFile(TQHDC_HANDLE directory, TQHD_FIND_DATA* first) {
    return Guarded(TQHD_E_FAIL, [&] {
        CMidClient* client = Lookup(directory);
        if (client == nullptr) return TQHD_E_PARAM;
        if (client->direct()) return TQHD_GetFindFile(LibraryHandle(client->m_objectHandle), first);
        CClientFileOp* connection = Connected(*client);
        if (connection == nullptr) return TQHD_E_FAIL;
        if (first == nullptr) return TQHD_E_PARAM;
        return ServiceListing(*connection, ServiceHandle(client->m_objectHandle), first);
    });
}

int64_t TQHDC_GetFileLength(TQHDC_HANDLE file) {
    return Guarded<int64_t>(-1, [&]() -> int64_t {
        CMidClient* client = Lookup(file);
        if (client == nullptr) return -1;
        if (client->direct()) return TQHD_GetFileLength(LibraryHandle(client->callHandle()));
        CClientFileOp* connection = Connected(*client);
        if (connection == nullptr) return -1;
        return WideResult(*connection, connection->GetFileLength(ServiceHandle(client->callHandle())));
    });
}

int64_t TQHDC_GetFileCurrentPosition(TQHDC_HANDLE file) {
    return Guarded<int64_t>(-1, [&]() -> int64_t {
        CMidClient* client = Lookup(file);
        if (client == nullptr) return -1;
        if (client->direct()) return TQHD_GetFileCurrentPosition(LibraryHandle(client->callHandle()));
        CClientFileOp* connection = Connected(*client);
        if (connection == nullptr) return -1;
        return WideResult(*connection, connection->GetFileCurrentPosition(ServiceHandle(client->callHandle())));
    });
}

int32_t TQHDC_ReadFile(TQHDC_HANDLE file, void* buffer, int32_t length) {
    return Guarded(-1, [&] {
        CMidClient* client = Lookup(file);
        if (client == nullptr) return -1;
        if (client->direct()) return TQHD_ReadFile(LibraryHandle(client->callHandle()), buffer, length);
        CClientFileOp* connection = Connected(*client);
        if (connection == nullptr) return -1;
        return ServiceRead(*connection, ServiceHandle(client->callHandle()), buffer, length);
    });
}

int32_t TQHDC_SeekFile(TQHDC_HANDLE file, int32_t offset, int32_t origin) {
    return Guarded(0, [&] {
        CMidClient* client = Lookup(file);
        if (client == nullptr) return 0;
        if (client->direct()) return TQHD_SeekFile(LibraryHandle(client->callHandle()), offset, origin);
        CClientFileOp* connection = Connected(*client);
        if (connection == nullptr) return 0;
        return connection->SeekFile(ServiceHandle(client->callHandle()), offset, origin);
    });
}

int32_t TQHDC_Stop(TQHDC_HANDLE job) {
    return Guarded(TQHD_E_FAIL, [&] {
        CMidClient* client = Lookup(job);
        if (client == nullptr) return TQHD_E_PARAM;
        if (client->direct()) return TQHD_Stop(LibraryHandle(client->callHandle()));
        CClientFileOp* connection = Connected(*client);
        if (connection == nullptr) return TQHD_E_FAIL;
        const int32_t code = connection->Stop(ServiceHandle(client->callHandle()));
        if (code != TQHD_OK || !connection->replied()) return TQHD_E_FAIL;
        return static_cast<int32_t>(connection->reply().value);
    });
}

int32_t TQHDC_SetPar(TQHDC_HANDLE, int32_t, int32_t) { return TQHD_E_NOTIMPL; }

int32_t TQHDC_SetParByRName(const char*, int32_t, int32_t) { return TQHD_E_NOTIMPL; }

}  // extern "C"
