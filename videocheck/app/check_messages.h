// The messages the check worker posts to its window, and the records they carry.
#pragma once

#include <cstdint>
#include <string>

#include "skinloom/theme_window.h"

namespace vesquil {

constexpr uint32_t kUserMessage = 0x400;
constexpr uint32_t kMessageFileResult = kUserMessage + 101;     // 0x465: FileResult
constexpr uint32_t kMessageAllDone = kUserMessage + 102;        // 0x466: no record
constexpr uint32_t kMessageFileUnderTest = kUserMessage + 103;  // 0x467: FileUnderTest

struct FileUnderTest final : ThemeMessagePayload {
    FileUnderTest(int32_t index, std::string fileName) : index(index), fileName(std::move(fileName)) {}
    int32_t index;
    std::string fileName;  // after the last '/'
};

struct FileResult final : ThemeMessagePayload {
    FileResult(int32_t index, int32_t result) : index(index), result(result) {}
    int32_t index;
    int32_t result;  // a videocheck::CheckCode
};

}  // namespace vesquil
