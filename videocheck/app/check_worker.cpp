// The check worker: one file after another, reported to the window by posted messages.
#include "check_worker.h"

#include <chrono>
#include <thread>

#include "check_messages.h"
#include "videocheck/video_files.h"

namespace vesquil {

void runCheckWorker(const std::string& path, const videocheck::StopFlag& stop, CThemeWindowBase& window) {
    const std::vector<std::string> files = videocheck::collectVideoFiles(path);
    for (size_t index = 0; index < files.size() && stop.load() == 0; ++index) {
        const auto number = static_cast<int32_t>(index);
        window.PostMessage(kMessageFileUnderTest, std::make_unique<FileUnderTest>(number, videocheck::fileNameOf(files[index])));
        const videocheck::CheckCode result = videocheck::checkFile(files[index], stop);
        window.PostMessage(kMessageFileResult, std::make_unique<FileResult>(number, static_cast<int32_t>(result)));
        // Gives the window time to show each row before the next arrives.
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    window.PostMessage(kMessageAllDone, nullptr);
}

}  // namespace vesquil
