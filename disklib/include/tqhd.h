/* The disk access library: lists drives, recognises NVR disks, reads their ext2 volumes,
 * directories, files and whole drives. Every function is safe to call with any handle value:
 * a null, closed, stale or foreign handle gets a failure code, never a crash. */
#ifndef TQHD_H
#define TQHD_H

#include "tqhd_types.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define TQHD_API __attribute__((visibility("default")))
#else
#define TQHD_API
#endif

/* ---- Inventory ---- */

/* Scans for newly attached drives, then copies up to *count records of listed NVR disks into
 * list (all of them when *count is 0; none when list is null). *count receives the number copied. */
TQHD_API int32_t TQHD_GetHardDiskList(TQHD_DISK_INFO* list, unsigned* count);
/* The same for drives that are present but not usable NVR disks (lSize holds the capacity in MiB). */
TQHD_API int32_t TQHD_GetDiskList(TQHD_DISK_INFO* list, unsigned* count);
/* The disk handle of the listed NVR disk with info->hdindex, or null. Disk handles are owned by
 * the library and stay valid while the disk is listed; closing one does nothing. */
TQHD_API TQHD_HANDLE TQHD_OpenHardDisk(const TQHD_DISK_INFO* info);
/* The disk handle named by the drive prefix "/N/" of an RName, or null. */
TQHD_API TQHD_HANDLE TQHD_OpenHardDiskByRName(const char* rname);
/* Always null. */
TQHD_API TQHD_HANDLE TQHD_OpenHardDiskByDir(const char* path);
/* The library's read-only record of a listed disk (name, then drive record); kind must be 1.
 * The record stays at its address while the disk is listed. */
TQHD_API const TQHD_DEVICE_INFO* TQHD_GetDeviceInfo(const TQHD_DISK_INFO* info, int32_t kind);
TQHD_API const TQHD_DEVICE_INFO* TQHD_GetDeviceInfoByRName(const char* rname, int32_t kind);
/* The volumes of a disk; list must hold 4 records (or be null to count only). */
TQHD_API int32_t TQHD_GetDriverList(TQHD_HANDLE disk, TQHD_DRIVER_INFO* list, int32_t* count);
TQHD_API int32_t TQHD_GetDriverListByRName(const char* rname, TQHD_DRIVER_INFO* list, int32_t* count);

/* ---- Directories ---- */

/* Opens the directory named by a find record, or the root of volume when from is null.
 * Close the handle with TQHD_CloseHandle. */
TQHD_API TQHD_HANDLE TQHD_OpenFindFile(TQHD_HANDLE disk, const TQHD_FIND_DATA* from, int32_t volume);
/* Fills *first with the first visible entry; pNext chains the rest. The chain belongs to the
 * directory handle and ends with it; *first is the caller's. */
TQHD_API int32_t TQHD_GetFindFile(TQHD_HANDLE dir, TQHD_FIND_DATA* first);
/* Opens a directory by RName: "/N/V/" is the root of volume V of drive N, "/N/V/a/b/" a directory. */
TQHD_API TQHD_HANDLE TQHD_OpenFindFileByRName(const char* rname);

/* ---- Files and whole drives ---- */

TQHD_API TQHD_HANDLE TQHD_OpenFileByFind(TQHD_HANDLE disk, const TQHD_FIND_DATA* record);
/* "/N/" opens the whole drive N as one file; "/N/V/dir/name" opens a file. */
TQHD_API TQHD_HANDLE TQHD_OpenFileByRName(const char* rname);
/* Bytes read (0 at the end), or a negative value: -1 on failure, -2 while the disk formats. */
TQHD_API int32_t TQHD_ReadFile(TQHD_HANDLE file, void* buffer, int32_t length);
/* origin: 0 from the start, 1 from the current position, 2 from the end. */
TQHD_API int32_t TQHD_SeekFile(TQHD_HANDLE file, int32_t offset, int32_t origin);
TQHD_API int64_t TQHD_GetFileLength(TQHD_HANDLE file);
TQHD_API int64_t TQHD_GetFileCurrentPosition(TQHD_HANDLE file);

/* ---- Recordings ---- */

/* Opens a recording: its index file (a find record whose name ends in ".nvr", any case) is read
 * from the disk and its payload is served from the disk's raw data area, followed by an "INDX"
 * table. Read, seek, measure and close it like a file; null on failure. */
TQHD_API TQHD_HANDLE TQHD_OpenAVFileByFind(TQHD_HANDLE disk, const TQHD_FIND_DATA* record);
TQHD_API TQHD_HANDLE TQHD_OpenAVFileByRName(const char* rname);
/* The same from index file bytes held by the caller (needed only during the call). */
TQHD_API TQHD_HANDLE TQHD_OpenAVFileByIndexFileCon(TQHD_HANDLE disk, char* indexData, uint32_t length);
/* The same from the path of an index file on a mounted volume of an NVR disk; the handle is bound
 * to no listed disk. mode is passed to the recording library, which does not use it. */
TQHD_API TQHD_HANDLE TQHD_OpenAVFileByName(const char* path, int32_t mode);
/* The recording library's probe of the drive that holds path: 0 empty path, 1 no drive or no
 * valid boot record, 2 an NVR disk with a raw data area, 3 a disk without one. */
TQHD_API uint32_t TQHD_IsNvrFile(const char* path);

/* ---- Handles, registrations, workers ---- */

/* Destroys a directory or file handle; disk handles and null are accepted and left alone. */
TQHD_API int32_t TQHD_CloseHandle(TQHD_HANDLE handle);
TQHD_API int32_t TQHD_UnInitialize(void);
/* Asks the disk's copy and format workers to stop; does not wait for them. */
TQHD_API int32_t TQHD_Stop(TQHD_HANDLE disk);
TQHD_API int32_t TQHD_SetPar(void);
TQHD_API int32_t TQHD_SetParByRName(void);
/* Registers the calling program's name on the handle's disk (shown when a format is refused). */
TQHD_API int32_t TQHD_SetExeFileName(TQHD_HANDLE handle, const char* programName);
/* Event delivery for the disk's workers; a null callback or window switches that path off.
 * Both registrations share one user value: the latest registration sets it. */
TQHD_API int32_t TQHD_RegistIntCallBack(TQHD_HANDLE disk, uint32_t userValue, TQHD_EVENT_CALLBACK callback);
TQHD_API int32_t TQHD_RegistIntCallBackByRName(const char* rname, uint32_t userValue, TQHD_EVENT_CALLBACK callback);
TQHD_API int32_t TQHD_RegistIntMsg(TQHD_HANDLE disk, uint32_t userValue, TQHD_HWND window, uint32_t messageId);
TQHD_API int32_t TQHD_RegistIntMsgByRName(const char* rname, uint32_t userValue, TQHD_HWND window, uint32_t messageId);

/* ---- Disk maintenance ---- */

/* Copies drive `source` (a listed NVR disk) onto drive `target`, whole, on a worker thread.
 * Returns the disk handle that runs the copy (the target's when it is listed, else the source's;
 * also when the start failed) or null when either number is 0 or the source is not listed
 * (*result = TQHD_E_UNAVAILABLE). *result receives the start's code: TQHD_E_BUSY,
 * TQHD_E_SAMEDISK, TQHD_E_NOTFOUND (source cannot be opened), TQHD_E_INUSE (target mounted,
 * holding the root file system or not writable), TQHD_E_SEEK (lengths unknown), TQHD_E_PARAM
 * (source larger than target), TQHD_E_THREAD. Events go to the returned disk's registrations:
 * TQHD_EVENT_COPY_PROGRESS with the chunk count, 0x1000001 + chunk when a chunk is done,
 * 0x2000000 / 0x3000000 before a source / target pass over a failed chunk, 0x4000000 + chunk to
 * ask whether to resume a stopped copy (answer 1 in lValue to resume, 10 to cancel, anything
 * else to start over); TQHD_EVENT_COPY_DONE with the result last. Bad runs are listed in
 * $HOME/原盘.txt and $HOME/目标盘.txt. TQHD_Stop on the handle stops the copy and leaves a
 * resume record in the target's last sector. */
TQHD_API TQHD_HANDLE TQHD_DiskCopy(int32_t source, int32_t target, int32_t* result);
/* Formats a listed NVR disk in place on a worker thread: every ext2 volume gets an empty file
 * system with its geometry kept, the raw data area fresh descriptors and bitmaps, the disk name
 * becomes empty. Returns the disk handle, or null with *result = TQHD_E_UNAVAILABLE (not listed)
 * or TQHD_E_INUSE when programs registered with TQHD_SetExeFileName use the disk and force is 0;
 * their list "name(count);..." is then appended to text (text size bytes with the zero).
 * Otherwise *result receives the start's code: TQHD_E_BUSY, TQHD_E_INUSE (objects open on the
 * disk, or the drive holds a mounted or the root file system), TQHD_E_UNRECOGNISED (not 2 or 4
 * volumes), TQHD_E_BADFS (a volume without readable ext2 superblock), TQHD_E_THREAD. Events:
 * TQHD_EVENT_FORMAT_PROGRESS (volume count, 0x1000000 + volume, raw area 0x2000032 and
 * 0x2000064, ext2 0x200000A and 0x200000A + group * 90 / groups), TQHD_EVENT_FORMAT_DONE last. */
TQHD_API TQHD_HANDLE TQHD_FormatHDDByFind(const TQHD_DISK_INFO* info, int32_t* result, uint8_t force, char* text,
                                         int32_t textSize);
TQHD_API TQHD_HANDLE TQHD_FormatHDDByRName(const char* rname, int32_t* result, uint8_t force, char* text,
                                          int32_t textSize);

#ifdef __cplusplus
}
#endif

#endif
