/* Records, result codes and callback types shared by the disk library and the client library. */
#ifndef TQHD_TYPES_H
#define TQHD_TYPES_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes: 0 is success, every failure has the top bit set. */
#define TQHD_OK               0x00000000
#define TQHD_E_PARAM          ((int32_t)0x80060000)
#define TQHD_E_BUSY           ((int32_t)0x80F00003)
#define TQHD_E_NOTSUPPORTED   ((int32_t)0x80F00009)
#define TQHD_E_NOTIMPL        ((int32_t)0x80F0000E)
#define TQHD_E_NOTFOUND       ((int32_t)0x80F0000F)
#define TQHD_E_BADHANDLE      ((int32_t)0x80F00010)
#define TQHD_E_STOPPED        ((int32_t)0x80F00011)
#define TQHD_E_FAIL           ((int32_t)0x80FF0000)
#define TQHD_E_OPEN           ((int32_t)0x80020005)
#define TQHD_E_READ           ((int32_t)0x80020009)
#define TQHD_E_UNAVAILABLE    ((int32_t)0x8002000A)
#define TQHD_E_UNRECOGNISED   ((int32_t)0x8002000C)
#define TQHD_E_NOTOPEN        ((int32_t)0x80020014)
#define TQHD_E_SAMEDISK       ((int32_t)0x80020020)
#define TQHD_E_WRITE          ((int32_t)0x80020025)
#define TQHD_E_SEEK           ((int32_t)0x80020029)
#define TQHD_E_INUSE          ((int32_t)0x8002002A)
#define TQHD_E_NOWRITE        ((int32_t)0x8002002B)
#define TQHD_E_NOTDIR         ((int32_t)0x8002002C)
#define TQHD_E_BADFS          ((int32_t)0x8002002F)
#define TQHD_E_EMPTY          ((int32_t)0x80020030)
#define TQHD_E_FORMATTING     ((int32_t)0x8002003A)
#define TQHD_E_NOMEM          ((int32_t)0x80050001)
#define TQHD_E_THREAD         ((int32_t)0x80070001)

/* Event codes reported by the copy and format workers. */
#define TQHD_EVENT_FORMAT_PROGRESS 0x10000031
#define TQHD_EVENT_FORMAT_DONE     0x10000032
#define TQHD_EVENT_COPY_PROGRESS   0x10000035
#define TQHD_EVENT_COPY_DONE       0x10000036

/* Entry types of a find record. */
#define TQHD_TYPE_FILE      1
#define TQHD_TYPE_DIRECTORY 2

/* Partition number of the raw data area in a driver record. */
#define TQHD_RAW_PARTITION 2

/* Every library object is addressed by an opaque handle; null means none or failed. */
typedef void* TQHD_HANDLE;

/* One physical drive: lSize is 80 for an NVR disk, the capacity in MiB for other drives. */
typedef struct TQHD_DISK_INFO {
    int32_t lSize;
    int32_t lReserved;
    int32_t hdindex; /* physical drive number */
    int32_t lGroup;  /* disks of one recorder share a group */
    uint8_t reserved[64];
} TQHD_DISK_INFO;

/* One directory entry; pNext chains the entries of a listing. */
typedef struct TQHD_FIND_DATA {
    struct TQHD_FIND_DATA* pNext;
    int32_t lType; /* TQHD_TYPE_FILE or TQHD_TYPE_DIRECTORY */
    char szName[260];
    int32_t lVolume;
    uint32_t lInode;
} TQHD_FIND_DATA;

/* One volume of a disk. */
typedef struct TQHD_DRIVER_INFO {
    int32_t lReserved0;
    int32_t lReserved1;
    int32_t lVolume;    /* volume ordinal; 5 marks a volume whose set-up failed */
    int32_t lPartition; /* partition entry number, 1-based; 2 is the raw data area */
} TQHD_DRIVER_INFO;

/* A listed NVR disk: its name, then its drive record. */
typedef struct TQHD_DEVICE_INFO {
    char szName[32];
    TQHD_DISK_INFO info;
} TQHD_DEVICE_INFO;

/* A worker's event; receivers may write lValue and the worker reads it back. */
typedef struct TQHD_EVENT {
    int32_t lCode;
    int32_t lValue;
} TQHD_EVENT;

typedef void (*TQHD_EVENT_CALLBACK)(uint32_t userValue, TQHD_EVENT* event);

/* The stand-in for a window: a caller-owned object whose send function receives
 * (message id, user value, event address) synchronously on the reporting thread. */
typedef struct TQHD_MSG_SINK {
    void (*pfnSend)(struct TQHD_MSG_SINK* sink, uint32_t message, uintptr_t wParam, intptr_t lParam);
    void* pContext;
} TQHD_MSG_SINK;

typedef TQHD_MSG_SINK* TQHD_HWND;

#ifdef __cplusplus
}
#endif

#endif
