/* The client library: the disk API for every program. A process that can open the first
 * physical drive itself has each call executed directly by the disk library; any other process
 * has it executed by the disk service halvex over a local connection. Results are the same in
 * both modes.
 *
 * Every handle returned here is a client object of this library (never a disk library handle);
 * each has its own connection in service mode and is released with TQHDC_CloseHandle. Any handle
 * value is safe to pass: a null, closed or foreign handle gets the failure value of the call.
 * One handle may be used by one thread at a time. */
#ifndef TQHDC_H
#define TQHDC_H

#include "tqhd_types.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define TQHDC_API __attribute__((visibility("default")))
#else
#define TQHDC_API
#endif

/* Transport codes (besides TQHD_E_WRITE, TQHD_E_READ, TQHD_E_FAIL and TQHD_E_UNAVAILABLE). */
#define TQHDC_E_PIPECLOSING    ((int32_t)0x8002002E)
#define TQHDC_E_NOSESSIONPIPE  ((int32_t)0x8003001F)
#define TQHDC_E_LISTENSTOP     ((int32_t)0x80020021)

typedef void* TQHDC_HANDLE;

/* ---- Queries (each makes a temporary connection in service mode) ---- */

/* As TQHD_GetHardDiskList / TQHD_GetDiskList; at most 25 records in service mode. A missing
 * count gives TQHD_E_PARAM; no service and no drive access gives TQHD_E_FAIL. */
TQHDC_API int32_t TQHDC_GetHardDiskList(TQHD_DISK_INFO* list, unsigned* count);
TQHDC_API int32_t TQHDC_GetDiskList(TQHD_DISK_INFO* list, unsigned* count);
/* As TQHD_GetDriverListByRName; every argument is required (else TQHD_E_PARAM). */
TQHDC_API int32_t TQHDC_GetDriverListByRName(const char* rname, TQHD_DRIVER_INFO* list, int32_t* count);
/* The probe of TQHD_IsNvrFile; 0 for an empty path or when the service does not answer. */
TQHDC_API uint32_t TQHDC_IsNvrFile(const char* path);
/* The name of a listed disk as a zero-terminated text in a buffer of this library, shared by
 * both calls and overwritten by the next one; the buffer holds an empty text (or is null) when
 * there is no name. */
TQHDC_API const char* TQHDC_GetDeviceInfo(const TQHD_DISK_INFO* info, int32_t kind);
TQHDC_API const char* TQHDC_GetDeviceInfoByRName(const char* rname, int32_t kind);
/* As TQHD_UnInitialize; 0 when the service does not answer. */
TQHDC_API int32_t TQHDC_UnInitialize(void);

/* ---- Opens (each returns a new client object, null on failure) ---- */

TQHDC_API TQHDC_HANDLE TQHDC_OpenHardDisk(const TQHD_DISK_INFO* info);
TQHDC_API TQHDC_HANDLE TQHDC_OpenHardDiskByRName(const char* rname);
/* Always null, as its twin. */
TQHDC_API TQHDC_HANDLE TQHDC_OpenHardDiskByDir(const char* path);
TQHDC_API TQHDC_HANDLE TQHDC_OpenFindFile(TQHDC_HANDLE disk, const TQHD_FIND_DATA* from, int32_t volume);
TQHDC_API TQHDC_HANDLE TQHDC_OpenFindFileByRName(const char* rname);
TQHDC_API TQHDC_HANDLE TQHDC_OpenFileByFind(TQHDC_HANDLE disk, const TQHD_FIND_DATA* record);
TQHDC_API TQHDC_HANDLE TQHDC_OpenFileByRName(const char* rname);
TQHDC_API TQHDC_HANDLE TQHDC_OpenAVFileByFind(TQHDC_HANDLE disk, const TQHD_FIND_DATA* record);
/* Index data of more than 1,048,577 bytes is refused in service mode (null). */
TQHDC_API TQHDC_HANDLE TQHDC_OpenAVFileByIndexFileCon(TQHDC_HANDLE disk, char* indexData, uint32_t length);
TQHDC_API TQHDC_HANDLE TQHDC_OpenAVFileByName(const char* path, int32_t mode);
TQHDC_API TQHDC_HANDLE TQHDC_OpenAVFileByRName(const char* rname);
/* Start a format or a copy; the returned object is the job (stop it with TQHDC_Stop, release it
 * with TQHDC_CloseHandle). *result receives the start's code as the twin's. When programs use the
 * disk, FormatHDDByFind stores TQHD_E_INUSE and copies their list into text (textSize bytes) in
 * both modes. */
TQHDC_API TQHDC_HANDLE TQHDC_FormatHDDByFind(const TQHD_DISK_INFO* info, int32_t* result, uint8_t force, char* text,
                                            int32_t textSize);
TQHDC_API TQHDC_HANDLE TQHDC_FormatHDDByRName(const char* rname, int32_t* result, uint8_t force, char* text,
                                             int32_t textSize);
TQHDC_API TQHDC_HANDLE TQHDC_DiskCopy(int32_t source, int32_t target, int32_t* result);

/* ---- Calls on a handle ---- */

/* Releases a client object when its library object closes (0); a failed close keeps it. */
TQHDC_API int32_t TQHDC_CloseHandle(TQHDC_HANDLE handle);
TQHDC_API int32_t TQHDC_GetDriverList(TQHDC_HANDLE disk, TQHD_DRIVER_INFO* list, int32_t* count);
/* Fills *first with the first entry; pNext chains the rest, which live in the directory object
 * until its next listing or until it is closed. */
TQHDC_API int32_t TQHDC_GetFindFile(TQHDC_HANDLE directory, TQHD_FIND_DATA* first);
/* -1 for a missing handle or a failure. A disk object answers for its whole drive. */
TQHDC_API int64_t TQHDC_GetFileLength(TQHDC_HANDLE file);
TQHDC_API int64_t TQHDC_GetFileCurrentPosition(TQHDC_HANDLE file);
/* Bytes read, 0 at the end, negative on failure (-1 for a missing handle). */
TQHDC_API int32_t TQHDC_ReadFile(TQHDC_HANDLE file, void* buffer, int32_t length);
/* The twin's result; 0 for a missing handle. */
TQHDC_API int32_t TQHDC_SeekFile(TQHDC_HANDLE file, int32_t offset, int32_t origin);
/* Asks the disk's copy and format workers to stop. */
TQHDC_API int32_t TQHDC_Stop(TQHDC_HANDLE job);
/* Not supported: TQHD_E_NOTIMPL. */
TQHDC_API int32_t TQHDC_SetPar(TQHDC_HANDLE disk, int32_t parameter, int32_t value);
TQHDC_API int32_t TQHDC_SetParByRName(const char* rname, int32_t parameter, int32_t value);

/* ---- Event registrations ----
 * Events of the disk's copy and format workers. In service mode each registration keeps its own
 * connection, which delivers the events on a thread of this library (callback first, then the
 * sink, both synchronous; a value written into the event travels back to the worker). It is
 * released 600 s after the last event, after the final event (TQHD_EVENT_FORMAT_DONE or
 * TQHD_EVENT_COPY_DONE), or after 2 s when no callback (no sink or message) is given. */
TQHDC_API int32_t TQHDC_RegistIntCallBack(TQHDC_HANDLE disk, uint32_t userValue, TQHD_EVENT_CALLBACK callback);
TQHDC_API int32_t TQHDC_RegistIntCallBackByRName(const char* rname, uint32_t userValue, TQHD_EVENT_CALLBACK callback);
TQHDC_API int32_t TQHDC_RegistIntMsg(TQHDC_HANDLE disk, uint32_t userValue, TQHD_HWND window, uint32_t messageId);
TQHDC_API int32_t TQHDC_RegistIntMsgByRName(const char* rname, uint32_t userValue, TQHD_HWND window,
                                           uint32_t messageId);

#ifdef __cplusplus
}
#endif

#endif
