// Wire names and the files they stand for in the runtime directory.
#include <gtest/gtest.h>

#include <cstdlib>

#include "protocol/names.h"

namespace protocol {
namespace {

TEST(Names, PerConnectionNamesUseSignedDecimal) {
    EXPECT_EQ(sessionSocketName(-2147483647 - 1, 2147483647, -1),
              "\\\\.\\pipe\\tq_cs_svc_pipe_-2147483648_2147483647_-1");
    EXPECT_EQ(sessionSocketName(-2147483647 - 1, -2147483647 - 1, -2147483647 - 1).size(), 59u);
    EXPECT_EQ(sectionName(-2147483647 - 1, -2147483647 - 1, -2147483647 - 1).size(), 55u);
    EXPECT_EQ(std::string(kCommandSocketName).size(), 30u);
}

TEST(Names, WireNamesMapToFilesInTheRuntimeDirectory) {
    struct Case {
        std::string wire;
        std::string local;
    };
    const Case cases[] = {
        {"\\\\.\\pipe\\TQ_CS_SVC_CM_SH_CLASS", "TQ_CS_SVC_CM_SH_CLASS"},
        {"Global\\tq_cs_svc_sm_1_2_3", "tq_cs_svc_sm_1_2_3"},
        {"tq_cs_svc_sm_1_2_3", ""},
        {"Global\\", ""},
        {"Global\\..", ""},
        {"\\\\.\\pipe\\../etc/passwd", ""},
        {std::string("Global\\a\0b", 10), ""},
        {"Global\\" + std::string(81, 'a'), ""},
    };
    for (const Case& c : cases) EXPECT_EQ(localNameOf(c.wire), c.local) << c.wire;
    setenv("NVRDISK_RUNTIME_DIR", "/tmp/somewhere/", 1);
    EXPECT_EQ(runtimePathOf("Global\\x"), "/tmp/somewhere/x");
    EXPECT_EQ(runtimePathOf("Global\\.."), "");
    unsetenv("NVRDISK_RUNTIME_DIR");
    EXPECT_EQ(runtimePathOf(kCommandSocketName), "/run/halvex/TQ_CS_SVC_CM_SH_CLASS");
}

}  // namespace
}  // namespace protocol
