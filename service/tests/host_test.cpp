// The host: one instance per runtime directory, an orderly stop on SIGTERM, refused options.
#include <csignal>
#include <filesystem>

#include "protocol/names.h"
#include "run_process.h"
#include "service_fixture.h"

namespace halvextest {
namespace {

using HostTest = ServiceTest;

// Points this process's clients at another runtime directory for the scope.
class OtherRuntimeDirectory {
public:
    explicit OtherRuntimeDirectory(std::string path) : path_(std::move(path)) {}
    ~OtherRuntimeDirectory() { setenv("NVRDISK_RUNTIME_DIR", sharedService().runtimeDirectory.c_str(), 1); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

TEST_F(HostTest, ASecondInstanceSaysSoAndExitsWithZero) {
    const auto result = nvrtest::runProcess({HALVEX_PROGRAM, "--runtime-dir", sharedService().runtimeDirectory},
                                            {"NVRDISK_DEVICE_DIR=" + sharedService().deviceDirectory});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.output, "NVR磁盘服务已经运行\n");
    RawClient client = connected();
    EXPECT_TRUE(client.call(onHandle(protocol::kGetHardDiskList, 0))) << "the first instance still serves";
}

TEST_F(HostTest, SigtermEndsSessionsAndTheCommandSocketAndExitsWithZero) {
    OtherRuntimeDirectory runtime(sharedService().scratch->file("run-stop"));
    RunningService own(sharedService().deviceDirectory, runtime.path());
    ASSERT_TRUE(own.waitUntilListening()) << own.output();
    RawClient working = connected();
    ASSERT_TRUE(working.call(byName(protocol::kOpenFileByRName, "/1/0/big.bin")));
    RawClient listening = connected();
    ASSERT_TRUE(listening.call(byName(protocol::kRegistIntCallBackByRName, "/1/")));
    platform::LocalSocket silent = platform::LocalSocket::connectTo(protocol::runtimePathOf(protocol::kCommandSocketName));

    EXPECT_EQ(own.stop(SIGTERM), 0) << own.output();
    EXPECT_FALSE(working.readMessage()) << "the session socket is closed";
    EXPECT_FALSE(listening.readMessage());
    EXPECT_FALSE(std::filesystem::exists(protocol::runtimePathOf(protocol::kCommandSocketName)));
    RawClient late;
    EXPECT_FALSE(late.connect());

    RunningService again(sharedService().deviceDirectory, runtime.path());
    EXPECT_TRUE(again.waitUntilListening()) << "the lock went with the stopped instance";
    EXPECT_EQ(again.stop(SIGTERM), 0);
}

TEST_F(HostTest, UnknownOptionsAndGroupsAreRefused) {
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{HALVEX_PROGRAM, "--bogus"}, {HALVEX_PROGRAM, "--group"},
          {HALVEX_PROGRAM, "--runtime-dir", sharedService().scratch->file("run-refused"), "--group", "no-such-group-here"}}) {
        const auto result = nvrtest::runProcess(arguments);
        EXPECT_EQ(result.exitCode, 2) << result.output;
    }
}

}  // namespace
}  // namespace halvextest
