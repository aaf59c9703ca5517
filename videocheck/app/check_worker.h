// The body of the check worker thread.
#pragma once

#include <string>

#include "skinloom/theme_window.h"
#include "videocheck/frame_check.h"

namespace vesquil {

// Finds the files under `path` and checks them one by one until done or `stop` is set, posting
// "file under test" and "result" for each and "all done" at the end. Touches `window` only
// through PostMessage.
void runCheckWorker(const std::string& path, const videocheck::StopFlag& stop, CThemeWindowBase& window);

}  // namespace vesquil
