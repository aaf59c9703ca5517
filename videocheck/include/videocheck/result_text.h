// The text keys of the check results and the texts shown when a theme has none.
#pragma once

#include <string>

#include "videocheck/frame_check.h"

namespace videocheck {

struct ResultText {
    const char* key;
    const char* defaultText;  // UTF-8
};

ResultText resultText(CheckCode code);
// Shown while a file is being checked.
ResultText checkingText();

}  // namespace videocheck
