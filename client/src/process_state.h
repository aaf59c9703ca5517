// State shared by the whole process: the host program's path (registered with the disk library
// for every object opened, so a refused format can name the program) and the device-information
// text buffer of TQHDC_GetDeviceInfo.
#pragma once

#include <optional>
#include <string>

namespace tolvern {

// The executable path of the host program, read when the library is loaded.
const char* ModulePath();

// Stores a text (or, with nullopt, clears the stored bytes) and returns the buffer, which may be
// null when no text was ever stored. Not guarded: concurrent callers overwrite each other.
const char* StoreDeviceText(const std::optional<std::string>& text);

}  // namespace tolvern
