// Reads a directory of an NVR disk into find records owned by the caller.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tqhdc.h"

namespace nvrdisk {

// The entries of an open directory handle, in the directory's order, with pNext cleared (the
// library's chain ends with the handle). An empty directory gives an empty list.
std::vector<TQHD_FIND_DATA> readEntries(TQHDC_HANDLE directory);
// The entry named `name` (ignoring case), if any.
std::optional<TQHD_FIND_DATA> findEntry(const std::vector<TQHD_FIND_DATA>& entries, const std::string& name);

}  // namespace nvrdisk
