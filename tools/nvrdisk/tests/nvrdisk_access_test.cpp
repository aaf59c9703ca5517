// How nvrdisk reaches the drives: directly when it may open drive 0, else through the disk
// service; with neither, it says so and how to start the service.
#include <gtest/gtest.h>

#include "disk_image_builder.h"
#include "run_process.h"

namespace nvrdisk {
namespace {

struct AccessCase {
    const char* what;
    bool driveZero;
    std::vector<std::string> arguments;
    bool succeeds;
    std::vector<std::string> lines;
};

TEST(NvrdiskAccess, StatusAndCommandsWithoutTheServiceSayWhichWayIsOpen) {
    const AccessCase cases[] = {
        {"status, drive 0 opens", true, {"status"}, true, {"mode     direct", "service  not running"}},
        {"list, drive 0 opens", true, {"list"}, true, {"No drives attached"}},
        {"status, no drive 0", false, {"status"}, false,
         {"mode     service", "service  not running", "disk service is not running", "systemctl start halvex"}},
        {"list, no drive 0", false, {"list"}, false,
         {"this user cannot open the drives and the disk service is not running", "sudo halvex"}},
        {"cat, no drive 0", false, {"cat", "/1/0/README.txt"}, false, {"systemctl start halvex"}},
        {"the check needs no disks", false, {"check", "/nonexistent.264"}, false, {}},
    };
    for (const AccessCase& c : cases) {
        nvrtest::TempDir devices("nvrdisk-access");
        nvrtest::TempDir runtime("nvrdisk-runtime");  // no service listens here
        if (c.driveZero) nvrtest::DeviceDirectory(devices.path()).addBlank(0, 1 << 20);
        std::vector<std::string> arguments = {NVRDISK_PROGRAM, "--devices", devices.path()};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const auto result = nvrtest::runProcess(arguments, {"NVRDISK_RUNTIME_DIR=" + runtime.path()});
        EXPECT_EQ(result.succeeded(), c.succeeds) << c.what << ": " << result.output;
        for (const std::string& line : c.lines)
            EXPECT_NE(result.output.find(line), std::string::npos) << c.what << ": " << result.output;
        if (std::string(c.what).find("check") != std::string::npos)
            EXPECT_EQ(result.output.find("disk service"), std::string::npos) << result.output;
    }
}

}  // namespace
}  // namespace nvrdisk
