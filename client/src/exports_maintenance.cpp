// Format and copy jobs: the returned client object stands for the job's disk.
#include <algorithm>
#include <cstring>
#include <string>

#include "export_support.h"
#include "process_state.h"

using namespace tolvern;

namespace {

void Store(int32_t* result, int32_t code) {
    if (result != nullptr) *result = code;
}

TQHDC_HANDLE FinishJob(ClientPointer client) {
    if (client->m_objectHandle == 0) return nullptr;
    return Publish(std::move(client));
}

// Copies the busy list the service placed in the section: the service's byte count, cut to the
// caller's capacity, and terminated when room is left (the library terminates its text too).
void CopyBusyList(CClientFileOp& connection, char* text, int32_t capacity) {
    const std::string list = connection.ReadText(connection.reply().extra);
    const size_t room = static_cast<size_t>(capacity);
    const size_t copied = std::min(list.size(), room);
    std::memcpy(text, list.data(), copied);
    if (copied < room) text[copied] = '\0';
}

// The service's answer to a format request: a job handle, or the refusal with its busy list.
uint64_t ServiceFormatResult(CClientFileOp& connection, int32_t code, int32_t* result, char* text, int32_t capacity) {
    if (!connection.replied()) {
        Store(result, code);
        return 0;
    }
    const int32_t status = connection.reply().status;
    Store(result, status);
    if (status == TQHD_E_INUSE && text != nullptr && capacity > 0) {
        CopyBusyList(connection, text, capacity);
        return 0;
    }
    return connection.reply().value;
}

}  // namespace

extern "C" {

TQHDC_HANDLE TQHDC_FormatHDDByFind(const TQHD_DISK_INFO* info, int32_t* result, uint8_t force, char* text,
                                  int32_t textSize) {
    return Guarded<TQHDC_HANDLE>(nullptr, [&]() -> TQHDC_HANDLE {
        if (info == nullptr) return nullptr;
        ClientPointer client = MakeClient();
        if (client->direct()) {
            client->m_objectHandle = HandleValue(TQHD_FormatHDDByFind(info, result, force, text, textSize));
        } else if (CClientFileOp* connection = Connected(*client)) {
            const int32_t code = connection->FormatHDDByFind(*info, force != 0);
            client->m_objectHandle = ServiceFormatResult(*connection, code, result, text, textSize);
        }
        return FinishJob(std::move(client));
    });
}

TQHDC_HANDLE TQHDC_FormatHDDByRName(const char* rname, int32_t* result, uint8_t force, char* text,
                                   int32_t textSize) {
    return Guarded<TQHDC_HANDLE>(nullptr, [&]() -> TQHDC_HANDLE {
        if (rname == nullptr) return nullptr;
        ClientPointer client = MakeClient();
        client->m_name = rname;
        if (client->direct()) {
            client->m_objectHandle = HandleValue(TQHD_FormatHDDByRName(rname, result, force, text, textSize));
        } else if (CClientFileOp* connection = Connected(*client)) {
            const int32_t code = connection->FormatHDDByRName(rname, force != 0);
            client->m_objectHandle = ServiceFormatResult(*connection, code, result, text, textSize);
        }
        return FinishJob(std::move(client));
    });
}

TQHDC_HANDLE TQHDC_DiskCopy(int32_t source, int32_t target, int32_t* result) {
    return Guarded<TQHDC_HANDLE>(nullptr, [&]() -> TQHDC_HANDLE {
        ClientPointer client = MakeClient();
        if (client->direct()) {
            TQHD_HANDLE job = TQHD_DiskCopy(source, target, result);
            TQHD_SetExeFileName(job, ModulePath());
            client->m_objectHandle = HandleValue(job);
        } else if (CClientFileOp* connection = Connected(*client)) {
            const int32_t code = connection->DiskCopy(source, target);
            Store(result, connection->replied() ? connection->reply().status : code);
            client->m_objectHandle = connection->replied() ? connection->reply().value : 0;
            if (client->m_objectHandle != 0)
                (void)connection->SetExeFileName(ServiceHandle(client->m_objectHandle), ModulePath());
        } else {
            Store(result, TQHD_E_FAIL);
        }
        return FinishJob(std::move(client));
    });
}

}  // extern "C"
