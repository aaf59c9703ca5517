// The directory of the running program, where the theme directories live.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace skinloom_detail {

// Ends with '/'; "./" when it cannot be found.
inline std::string programDirectory() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("./") : program.parent_path().string() + '/';
}

}  // namespace skinloom_detail
