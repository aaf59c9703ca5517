// The host: one instance per runtime directory, an orderly stop on SIGTERM, refused options.
#include <csignal>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

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

struct stat statusOf(const std::string& path) {
    struct stat status {};
    EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
    return status;
}

// The section file of the one session connected to the runtime directory.
std::string sectionFileIn(const std::string& directory) {
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
        if (entry.path().filename().string().rfind("tq_cs_svc_sm_", 0) == 0) return entry.path();
    }
    return {};
}

// Default: every local user may connect; --group: only that group. Run as root, a section is
// readable by the user at the other end of its session only.
TEST_F(HostTest, SocketsAndSectionsGetTheChosenAccess) {
    const group* rootGroup = getgrgid(0);
    ASSERT_NE(rootGroup, nullptr);
    struct Case {
        const char* what;
        std::vector<std::string> options;
        unsigned socketMode;
    };
    const Case cases[] = {{"default", {}, 0666}, {"--group", {"--group", rootGroup->gr_name}, 0660}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OtherRuntimeDirectory runtime(sharedService().scratch->file(std::string("run-access-") + c.what));
        RunningService own(sharedService().deviceDirectory, runtime.path(), c.options);
        ASSERT_TRUE(own.waitUntilListening()) << own.output();
        EXPECT_EQ(statusOf(runtime.path()).st_mode & 07777, 0755u);
        const struct stat command = statusOf(protocol::runtimePathOf(protocol::kCommandSocketName));
        EXPECT_TRUE(S_ISSOCK(command.st_mode));
        EXPECT_EQ(command.st_mode & 0777, c.socketMode);
        if (c.socketMode == 0660) {
            EXPECT_EQ(command.st_gid, 0u);
        }
        RawClient client = connected();
        const std::string section = sectionFileIn(runtime.path());
        ASSERT_FALSE(section.empty());
        const struct stat mapped = statusOf(section);
        if (geteuid() == 0) {
            EXPECT_EQ(mapped.st_mode & 0777, 0600u);
            EXPECT_EQ(mapped.st_uid, geteuid());
        } else {
            EXPECT_EQ(mapped.st_mode & 0777, c.socketMode);
        }
        EXPECT_EQ(mapped.st_size, static_cast<off_t>(protocol::kSectionSize));
        client.close();
        EXPECT_EQ(own.stop(SIGTERM), 0);
    }
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
