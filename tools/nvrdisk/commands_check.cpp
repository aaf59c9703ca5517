// nvrdisk check: the frame check of the video check tool, for terminals and scripts.
#include <iostream>

#include "commands.h"
#include "videocheck/check_report.h"

namespace nvrdisk {

int checkVideos(const std::string& path, bool json) {
    const auto format = json ? videocheck::ReportFormat::Json : videocheck::ReportFormat::Text;
    return videocheck::writeCheckReport(path, format, std::cout, std::cerr);
}

}  // namespace nvrdisk
