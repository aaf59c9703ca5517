// Registrations: one without a target releases its connection after 2 s; one for a disk the
// library rejects gets the library's code and starts nothing.
#include <gtest/gtest.h>

#include "client_world.h"
#include "disk_image_builder.h"
#include "event_log.h"
#include "platform/message_sink.h"
#include "scenario_support.h"

namespace clienttest {
namespace {

TEST(ClientRegistration, WithoutATargetTheConnectionIsReleased) {
    platform::MessageSink sink([](uint32_t, uintptr_t, intptr_t) {});
    const struct {
        const char* what;
        TQHD_EVENT_CALLBACK callback;
        TQHD_HWND window;
        uint32_t message;
    } cases[] = {
        {"no callback", nullptr, nullptr, 0},
        {"a sink without a message", nullptr, sink.handle(), 0},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(eventually([] { return serviceSessions() == 0; })) << c.what;
        ClientHandle disk(TQHDC_OpenHardDiskByRName("/2/"));
        ASSERT_NE(disk, nullptr);
        const int32_t result = c.window == nullptr ? TQHDC_RegistIntCallBack(disk.get(), 1, c.callback)
                                                   : TQHDC_RegistIntMsg(disk.get(), 1, c.window, c.message);
        EXPECT_EQ(result, TQHD_OK) << c.what;
        if (!serviceMode()) continue;
        EXPECT_EQ(serviceSessions(), 2) << c.what << ": the registration has a connection of its own";
        EXPECT_TRUE(eventually([] { return serviceSessions() == 1; })) << c.what << ": released by its keep-alive";
    }
}

TEST(ClientRegistration, ByNameAnswersAsTheLibrary) {
    ASSERT_TRUE(eventually([] { return serviceSessions() == 0; }));
    EXPECT_EQ(TQHDC_RegistIntCallBackByRName("/2/", 5, nullptr), TQHD_OK);
    EXPECT_EQ(serviceSessions(), serviceMode() ? 1 : 0);
    EXPECT_TRUE(eventually([] { return serviceSessions() == 0; })) << "no callback: released by its keep-alive";
    EXPECT_EQ(TQHDC_RegistIntMsgByRName("/19/", 5, nullptr, 0), TQHD_E_PARAM) << "a drive that is not listed";
    EXPECT_EQ(TQHDC_RegistIntCallBackByRName(nullptr, 5, &EventLog::receive), 0) << "no name";
}

TEST(ClientRegistration, ADiskTheLibraryDroppedGetsItsCodeAndNoListener) {
    ClientHandle disk(TQHDC_OpenHardDiskByRName("/3/"));
    ASSERT_NE(disk, nullptr);
    nvrtest::DeviceDirectory(driveDirectory()).remove(3);
    ASSERT_TRUE(eventually([] { return ClientHandle(TQHDC_OpenHardDiskByRName("/3/")) == nullptr; }));
    const int before = serviceSessions();
    EventLog log;
    EXPECT_NE(TQHDC_RegistIntCallBack(disk.get(), 1, &EventLog::receive), TQHD_OK);
    EXPECT_TRUE(eventually([&] { return serviceSessions() <= before; })) << "the registration's connection went";
}

}  // namespace
}  // namespace clienttest
