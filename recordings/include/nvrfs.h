/* The recording library: serves one recording of an NVR disk (its payload units in the raw data
 * area, then an "INDX" table built from its ".nvr" index file) as one seekable byte stream.
 * Failures are reported by return values only (null, -1 or 0, as stated per function). Calls on
 * one handle must not overlap; different handles may be used on different threads. */
#ifndef NVRFS_H
#define NVRFS_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define NVRFS_API __attribute__((visibility("default")))
#else
#define NVRFS_API
#endif

/* The handle type: a pointer to an opaque stream structure. It never points to a C stdio stream,
 * only to the library's own object; null is accepted by every call. */
struct _iobuf;
typedef struct _iobuf* NVRFS_HANDLE;

/* A calendar time as the index file stores it: year (2000 + stored byte), month, day, hour,
 * minute, second. wDayOfWeek and wMilliseconds are always 0. */
typedef struct NVRFS_SYSTEMTIME {
    uint16_t wYear;
    uint16_t wMonth;
    uint16_t wDayOfWeek;
    uint16_t wDay;
    uint16_t wHour;
    uint16_t wMinute;
    uint16_t wSecond;
    uint16_t wMilliseconds;
} NVRFS_SYSTEMTIME;

/* Opens the recording whose index file is `path` on a volume of an NVR disk (the drive that holds
 * the volume is found by the platform: see platform/README.md). `mode` is not used. Null on any
 * failure, including an empty path or one of 260 bytes or more. Close with NVRFS_close. */
NVRFS_API NVRFS_HANDLE NVRFS_open(const char* path, int32_t mode);
/* Opens a recording from the bytes of its index file (at least 32) and the physical drive number
 * of the disk that holds its payload. The bytes are needed only during the call. Null on failure. */
NVRFS_API NVRFS_HANDLE NVRFS_open_BufferMode(int32_t driveNumber, char* indexData, uint32_t length);
/* Closes the drive and destroys the handle; null is ignored. */
NVRFS_API void NVRFS_close(NVRFS_HANDLE handle);
/* The low 32 bits of the stream position; 0 for null. */
NVRFS_API int32_t NVRFS_tell(NVRFS_HANDLE handle);
/* origin 0: from the start, 1: from the position, 2: from the end. The new position (low 32 bits),
 * or -1 when it would lie before the start or beyond the end, or the origin is another value
 * (the position is then unchanged); 0 for null. */
NVRFS_API int32_t NVRFS_seek(NVRFS_HANDLE handle, int32_t offset, int32_t origin);
/* Reads size * count bytes (at most 2^31 - 1 per call). The number of bytes delivered: fewer when
 * the stream ends or a device read fails (the position advances by what was delivered); 0 at the
 * end and for null; -1 when the position lies beyond the end. */
NVRFS_API int32_t NVRFS_read(char* buffer, uint32_t size, uint32_t count, NVRFS_HANDLE handle);
/* The stream length: payload length + 16 + 20 * index entries; -1 for null. */
NVRFS_API int64_t NVRFS_GetFileSize(NVRFS_HANDLE handle);
/* 1 with both times filled; 0 (outputs untouched) for null or when the recording has no time
 * information (both month bytes 0). */
NVRFS_API int32_t NVRFS_GetTimeInfo(NVRFS_HANDLE handle, NVRFS_SYSTEMTIME* begin, NVRFS_SYSTEMTIME* end);
/* Probes the drive that holds the volume of `path`: 0 empty path; 1 no drive found or openable,
 * no valid boot record, or a path of 260 bytes or more; 2 the drive carries a raw data area;
 * 3 it does not. */
NVRFS_API uint32_t NVRFS_IsNvrFile(const char* path);
/* The same codes for physical drive `driveNumber`. */
NVRFS_API uint32_t NVRFS_IsNvrPhysicalDrive(int32_t driveNumber);

#ifdef __cplusplus
}
#endif

#endif
