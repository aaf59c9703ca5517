// Names and plain sentences for the disk library's result codes, for error messages.
#pragma once

#include <cstdint>
#include <string>

namespace nvrdisk {

// "TQHD_E_PARAM" and the like; unknown values as "0x80F000FF".
std::string resultName(int32_t code);
// One short sentence saying what the code means to a user.
std::string resultSentence(int32_t code);

}  // namespace nvrdisk
