// The table from the library's result codes to their names and meanings.
#include "result_names.h"

#include <cstdio>

#include "tqhd_types.h"

namespace nvrdisk {
namespace {

struct ResultText {
    int32_t code;
    const char* name;
    const char* sentence;
};

constexpr ResultText resultTexts[] = {
    {TQHD_OK, "TQHD_OK", "success"},
    {TQHD_E_PARAM, "TQHD_E_PARAM", "an argument or name is not valid"},
    {TQHD_E_BUSY, "TQHD_E_BUSY", "the disk is busy with another job"},
    {TQHD_E_NOTSUPPORTED, "TQHD_E_NOTSUPPORTED", "the operation does not apply to this kind of object"},
    {TQHD_E_NOTIMPL, "TQHD_E_NOTIMPL", "the operation is not implemented"},
    {TQHD_E_NOTFOUND, "TQHD_E_NOTFOUND", "nothing was found"},
    {TQHD_E_BADHANDLE, "TQHD_E_BADHANDLE", "the handle is not valid (closed, stale or removed disk)"},
    {TQHD_E_STOPPED, "TQHD_E_STOPPED", "the job was stopped"},
    {TQHD_E_FAIL, "TQHD_E_FAIL", "the operation failed"},
    {TQHD_E_OPEN, "TQHD_E_OPEN", "the drive or file cannot be opened"},
    {TQHD_E_READ, "TQHD_E_READ", "reading from the drive failed"},
    {TQHD_E_UNAVAILABLE, "TQHD_E_UNAVAILABLE", "the volume has no file system or the disk is not listed"},
    {TQHD_E_UNRECOGNISED, "TQHD_E_UNRECOGNISED", "the disk, directory or file is not recognised"},
    {TQHD_E_NOTOPEN, "TQHD_E_NOTOPEN", "the drive is not open"},
    {TQHD_E_SAMEDISK, "TQHD_E_SAMEDISK", "source and target are the same drive"},
    {TQHD_E_WRITE, "TQHD_E_WRITE", "writing to the drive failed"},
    {TQHD_E_SEEK, "TQHD_E_SEEK", "positioning on the drive failed"},
    {TQHD_E_INUSE, "TQHD_E_INUSE", "the disk is in use"},
    {TQHD_E_NOWRITE, "TQHD_E_NOWRITE", "the drive cannot be opened for writing"},
    {TQHD_E_NOTDIR, "TQHD_E_NOTDIR", "this is not a directory"},
    {TQHD_E_BADFS, "TQHD_E_BADFS", "the volume's file system is not supported"},
    {TQHD_E_EMPTY, "TQHD_E_EMPTY", "the directory is empty"},
    {TQHD_E_FORMATTING, "TQHD_E_FORMATTING", "the disk is being formatted"},
    {TQHD_E_NOMEM, "TQHD_E_NOMEM", "out of memory"},
    {TQHD_E_THREAD, "TQHD_E_THREAD", "a worker thread cannot be started"},
};

const ResultText* findResult(int32_t code) {
    for (const ResultText& entry : resultTexts)
        if (entry.code == code) return &entry;
    return nullptr;
}

}  // namespace

std::string resultName(int32_t code) {
    if (const ResultText* entry = findResult(code)) return entry->name;
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<uint32_t>(code));
    return text;
}

std::string resultSentence(int32_t code) {
    if (const ResultText* entry = findResult(code)) return entry->sentence;
    return "unknown result code";
}

}  // namespace nvrdisk
