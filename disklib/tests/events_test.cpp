// Event delivery to windows and callbacks, and stop requests to workers.
#include <atomic>
#include <chrono>
#include <thread>

#include "disk_state.h"
#include "internal_support.h"
#include "platform/message_sink.h"

namespace disktest {
namespace {

struct Received {
    std::vector<std::string> order;
    uint32_t windowValue = 0;
    uint32_t callbackValue = 0;
    uint32_t messageId = 0;
    std::thread::id thread;
};

Received* received = nullptr;

void Callback(uint32_t userValue, TQHD_EVENT* event) {
    received->order.push_back("callback");
    received->callbackValue = userValue;
    event->lValue += 10;
}

class EventsTest : public InternalTest {
protected:
    void SetUp() override { received = &record_; }
    void TearDown() override {
        TQHD_RegistIntCallBack(Disk(), 0, nullptr);
        TQHD_RegistIntMsg(Disk(), 0, nullptr, 0);
        received = nullptr;
    }
    static TQHD_HANDLE Disk() { return TQHD_OpenHardDiskByRName("/2/"); }
    static drelmo::DiskState& State() { return *Entry(kPlainExt2Disk)->disk->State(); }

    Received record_;
    platform::MessageSink window_{[this](uint32_t message, uintptr_t wParam, intptr_t lParam) {
        record_.order.push_back("window");
        record_.messageId = message;
        record_.windowValue = static_cast<uint32_t>(wParam);
        record_.thread = std::this_thread::get_id();
        reinterpret_cast<TQHD_EVENT*>(lParam)->lValue = 1;
    }};
};

TEST_F(EventsTest, TheWindowHearsFirstThenTheCallbackAndBothCanAnswer) {
    ASSERT_EQ(TQHD_RegistIntCallBack(Disk(), 7, Callback), TQHD_OK);
    ASSERT_EQ(TQHD_RegistIntMsgByRName("/2/0/", 8, window_.handle(), 0x4F0), TQHD_OK);
    TQHD_EVENT event{TQHD_EVENT_COPY_PROGRESS, 0};
    std::thread worker([&] { State().Notify(&event); });
    const auto workerId = worker.get_id();
    worker.join();
    EXPECT_EQ(record_.order, (std::vector<std::string>{"window", "callback"}));
    EXPECT_EQ(record_.windowValue, 8u) << "the latest registration sets the one user value";
    EXPECT_EQ(record_.callbackValue, 8u);
    EXPECT_EQ(record_.messageId, 0x4F0u);
    EXPECT_EQ(record_.thread, workerId) << "delivered synchronously on the reporting thread";
    EXPECT_EQ(event.lValue, 11) << "the worker reads back what the receivers wrote";
}

TEST_F(EventsTest, NullRegistrationsSwitchAPathOff) {
    ASSERT_EQ(TQHD_RegistIntCallBack(Disk(), 3, Callback), TQHD_OK);
    ASSERT_EQ(TQHD_RegistIntMsg(Disk(), 3, window_.handle(), 1), TQHD_OK);
    ASSERT_EQ(TQHD_RegistIntMsg(Disk(), 4, nullptr, 1), TQHD_OK);
    TQHD_EVENT event{TQHD_EVENT_FORMAT_DONE, 0};
    State().Notify(&event);
    EXPECT_EQ(record_.order, (std::vector<std::string>{"callback"}));
    EXPECT_EQ(record_.callbackValue, 4u);
    ASSERT_EQ(TQHD_RegistIntCallBackByRName("/2/", 5, nullptr), TQHD_OK);
    State().Notify(&event);
    EXPECT_EQ(record_.order.size(), 1u);
}

TEST_F(EventsTest, ReceiversMayCallTheLibraryDuringDelivery) {
    platform::MessageSink reentrant([](uint32_t, uintptr_t, intptr_t) {
        unsigned count = 0;
        TQHD_GetHardDiskList(nullptr, &count);  // takes the global lock, then disk locks
        TQHD_HANDLE file = TQHD_OpenFileByRName("/2/0/video/clip.bin");
        uint8_t buffer[4096];
        TQHD_ReadFile(file, buffer, sizeof buffer);
        TQHD_CloseHandle(file);
    });
    ASSERT_EQ(TQHD_RegistIntMsg(Disk(), 1, reentrant.handle(), 1), TQHD_OK);
    TQHD_EVENT event{TQHD_EVENT_COPY_PROGRESS, 0};
    State().Notify(&event);
    SUCCEED();
}

TEST_F(EventsTest, StopPostsQuitToTheWorkersWhichSeeItOnce) {
    std::atomic<int> polls{0};
    State().copyWorker = std::make_unique<platform::MessageThread>();
    ASSERT_TRUE(State().copyWorker->start([&] {
        while (drelmo::StopRequested() == TQHD_OK) {
            polls++;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }));
    while (polls == 0) std::this_thread::yield();
    ASSERT_EQ(TQHD_Stop(Disk()), TQHD_OK);
    State().copyWorker->join();
    EXPECT_TRUE(State().copyWorker->finished());
    State().copyWorker.reset();
}

TEST(StopRequested, OtherMessagesAreDroppedAndQuitIsSeen) {
    EXPECT_EQ(drelmo::StopRequested(), TQHD_OK);
    ASSERT_TRUE(platform::postThreadMessage(platform::currentThreadId(), {0x400, 0, 0}));
    ASSERT_TRUE(platform::postThreadMessage(platform::currentThreadId(), {platform::kQuitMessage, 0, 0}));
    EXPECT_EQ(drelmo::StopRequested(), TQHD_OK) << "the first message is not quit, and is dropped";
    EXPECT_EQ(drelmo::StopRequested(), TQHD_E_STOPPED);
    EXPECT_EQ(drelmo::StopRequested(), TQHD_OK);
}

}  // namespace
}  // namespace disktest
