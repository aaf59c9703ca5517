// Exports for handles, owner names, event registrations and stopping workers.
#include "../core/api_support.h"
#include "tqhd.h"

using namespace drelmo;

namespace {

// The disk state of a live disk handle, or null.
std::shared_ptr<DiskState> DiskOf(TQHD_HANDLE disk) {
    auto object = FindAs<CTQHardDisk>(Handles(), disk, kKindDisk);
    return object ? object->State() : nullptr;
}

// The disk state of the listed disk an RName's drive prefix names, or null.
std::shared_ptr<DiskState> DiskOfRName(const char* rname) {
    WaitReady();
    nvr::CAutoCri guard(GlobalLock());
    auto match = TheInventory().FindDiskByRName(rname);
    return match ? match->entry->disk->State() : nullptr;
}

}  // namespace

extern "C" {

int32_t TQHD_CloseHandle(TQHD_HANDLE handle) {
    return Guarded<int32_t>(TQHD_E_NOMEM, [&] {
        if (handle == nullptr) return TQHD_OK;
        nvr::CAutoCri guard(GlobalLock());
        auto object = Handles().Find(handle);
        if (!object || !object->IsValid()) return TQHD_E_BADHANDLE;
        if (object->Kind() == kKindDisk) return TQHD_OK;
        Handles().Remove(handle);
        return TQHD_OK;
    });
}

int32_t TQHD_UnInitialize(void) { return TQHD_OK; }

int32_t TQHD_SetPar(void) { return TQHD_E_NOTIMPL; }

int32_t TQHD_SetParByRName(void) { return TQHD_E_NOTIMPL; }

int32_t TQHD_SetExeFileName(TQHD_HANDLE handle, const char* programName) {
    return Guarded<int32_t>(TQHD_E_NOMEM, [&] {
        if (handle == nullptr) return TQHD_E_PARAM;
        auto object = Handles().Find(handle);
        if (!object) return TQHD_E_BADHANDLE;
        object->SetOwnerName(programName);
        return TQHD_OK;
    });
}

int32_t TQHD_Stop(TQHD_HANDLE disk) {
    return Guarded<int32_t>(TQHD_E_NOMEM, [&] {
        WaitReady();
        if (disk == nullptr) return TQHD_E_FAIL;
        // Looked up before the global lock: should this call hold the last reference to a disk
        // the watcher just removed, its retirement (which waits for workers) runs unlocked.
        auto state = DiskOf(disk);
        nvr::CAutoCri guard(GlobalLock());
        if (!state || state->retired) return TQHD_E_PARAM;
        state->RequestStop();
        return TQHD_OK;
    });
}

int32_t TQHD_RegistIntCallBack(TQHD_HANDLE disk, uint32_t userValue, TQHD_EVENT_CALLBACK callback) {
    return Guarded<int32_t>(TQHD_E_NOMEM, [&] {
        auto state = DiskOf(disk);
        if (!state) return TQHD_E_PARAM;
        state->SetCallback(userValue, callback);
        return TQHD_OK;
    });
}

int32_t TQHD_RegistIntCallBackByRName(const char* rname, uint32_t userValue, TQHD_EVENT_CALLBACK callback) {
    return Guarded<int32_t>(TQHD_E_NOMEM, [&] {
        auto state = DiskOfRName(rname);
        if (!state) return TQHD_E_PARAM;
        state->SetCallback(userValue, callback);
        return TQHD_OK;
    });
}

int32_t TQHD_RegistIntMsg(TQHD_HANDLE disk, uint32_t userValue, TQHD_HWND window, uint32_t messageId) {
    return Guarded<int32_t>(TQHD_E_NOMEM, [&] {
        auto state = DiskOf(disk);
        if (!state) return TQHD_E_PARAM;
        state->SetWindow(userValue, window, messageId);
        return TQHD_OK;
    });
}

int32_t TQHD_RegistIntMsgByRName(const char* rname, uint32_t userValue, TQHD_HWND window, uint32_t messageId) {
    return Guarded<int32_t>(TQHD_E_NOMEM, [&] {
        auto state = DiskOfRName(rname);
        if (!state) return TQHD_E_PARAM;
        state->SetWindow(userValue, window, messageId);
        return TQHD_OK;
    });
}

}  // extern "C"
