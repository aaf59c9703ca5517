// The root of the library's object tree. Every handle is the address of an object of one of its
// four classes; every operation has a soft default answer, so a handle of the wrong class fails
// without harm.
#pragma once

#include <cstdint>
#include <string>

#include "tqhd_types.h"

namespace drelmo {

class CTQHardDisk;

enum ObjectKind : int32_t { kKindDisk = 1, kKindDirectory = 2, kKindFile = 3, kKindDiskFile = 4 };

class CTQRootClass {
public:
    explicit CTQRootClass(int32_t kind) : m_lKind(kind) {}
    virtual ~CTQRootClass() = default;
    CTQRootClass(const CTQRootClass&) = delete;
    CTQRootClass& operator=(const CTQRootClass&) = delete;

    int32_t Kind() const { return m_lKind; }

    virtual bool IsValid() const { return false; }
    virtual int32_t OpenDisk(TQHD_DISK_INFO* info) { return TQHD_E_NOTSUPPORTED; }
    virtual int32_t Reserved3(int32_t) { return TQHD_E_NOTSUPPORTED; }
    virtual int32_t GetPartitions(TQHD_DRIVER_INFO* list, int32_t* count) { return TQHD_E_NOTSUPPORTED; }
    virtual int32_t OpenFind(CTQHardDisk* disk, const TQHD_FIND_DATA* from, int32_t volume) {
        return TQHD_E_NOTSUPPORTED;
    }
    virtual int32_t GetFindList(TQHD_FIND_DATA* first) { return TQHD_E_NOTSUPPORTED; }
    virtual int32_t OpenFile(CTQHardDisk* disk, const TQHD_FIND_DATA* record) { return TQHD_E_NOTSUPPORTED; }
    virtual int64_t GetLength() { return static_cast<int64_t>(static_cast<uint32_t>(TQHD_E_NOTSUPPORTED)); }
    virtual int32_t Read(void* buffer, int32_t count) { return TQHD_E_NOTSUPPORTED; }
    virtual int32_t Seek(int32_t offset, int32_t origin) { return TQHD_E_NOTSUPPORTED; }
    virtual int64_t GetPosition() { return -1; }
    virtual void SetOwnerName(const char* name) {}

private:
    const int32_t m_lKind;
};

}  // namespace drelmo
