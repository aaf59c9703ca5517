// `nvrdisk watch` reports a drive that arrives and leaves, and ends cleanly on Ctrl-C.
#include <gtest/gtest.h>

#include <csignal>

#include "disk_image_builder.h"
#include "running_program.h"
#include "sample_disks.h"

namespace nvrdisk {
namespace {

TEST(NvrdiskWatch, PrintsArrivalsAndRemovalsUntilInterrupted) {
    nvrtest::TempDir scratch("nvrdisk-watch");
    const nvrtest::DeviceDirectory devices(scratch.path());
    devices.addBlank(0, 1 << 20);  // the system disk: it opens, so nvrdisk works directly
    devices.addBlank(3, 8 << 20);
    const std::string image = scratch.file("recorder.img");
    nvrtest::buildDiskImage(sampleSecondDisk(), image);

    testing::RunningProgram watch({NVRDISK_PROGRAM, "--devices", scratch.path(), "watch"});
    ASSERT_TRUE(watch.waitForLine("+ drive 3: other drive, 8.0 MiB")) << watch.output();
    devices.addLink(4, image);
    ASSERT_TRUE(watch.waitForLine("+ drive 4: NVR disk \"SAMPLE-NVR-01\", group")) << watch.output();
    devices.remove(4);
    ASSERT_TRUE(watch.waitForLine("- drive 4")) << watch.output();
    EXPECT_EQ(watch.stop(SIGINT), 0) << watch.output();
}

}  // namespace
}  // namespace nvrdisk
