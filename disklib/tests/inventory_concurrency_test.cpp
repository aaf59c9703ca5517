// Scans and removal checks running at the same time as each other and as disk workers.
#include <atomic>
#include <chrono>
#include <thread>

#include "disk_state.h"
#include "internal_support.h"

namespace disktest {
namespace {

class InventoryConcurrencyTest : public InternalTest {
protected:
    static int Listed(int number) {
        nvr::CAutoCri guard(drelmo::GlobalLock());
        int count = 0;
        for (const auto& entry : drelmo::TheInventory().HardDisks()) count += entry->device.info.hdindex == number;
        for (const auto& info : drelmo::TheInventory().OtherDisks()) count += info.hdindex == number;
        return count;
    }
    static int Volumes(int number) {
        nvr::CAutoCri guard(drelmo::GlobalLock());
        int count = 0;
        for (const auto& driver : drelmo::TheInventory().Drivers()) count += driver.driveNumber == number;
        return count;
    }
};

TEST_F(InventoryConcurrencyTest, ScansAtTheSameTimeListEachDriveOnce) {
    const int numbers[] = {15, 16, 17, 18};
    for (int number : numbers) {
        Devices().addDisk(number, nvrtest::standardNvrDisk({nvrtest::TreeEntry::text("a.txt", "a")}, "SCAN"));
    }
    Devices().addBlank(19, 1 << 20);
    std::vector<std::thread> scanners;
    for (int i = 0; i < 4; ++i) scanners.emplace_back([] { drelmo::TheInventory().Scan(); });
    for (auto& scanner : scanners) scanner.join();
    for (int number : numbers) {
        SCOPED_TRACE(number);
        EXPECT_EQ(Listed(number), 1);
        EXPECT_EQ(Volumes(number), 2);
    }
    EXPECT_EQ(Listed(19), 1);
    for (int number : numbers) Devices().remove(number);
    Devices().remove(19);
    drelmo::TheInventory().RemovalCheck();
    for (int number : {15, 16, 17, 18, 19}) EXPECT_EQ(Listed(number), 0);
    EXPECT_EQ(Volumes(15), 0);
}

TEST_F(InventoryConcurrencyTest, RemovingADiskWaitsForItsWorkerWithoutDeadlock) {
    constexpr int kNumber = 22;
    Devices().addDisk(kNumber, nvrtest::standardNvrDisk({nvrtest::TreeEntry::text("a.txt", "a")}, "WORKER"));
    drelmo::TheInventory().Scan();
    std::shared_ptr<drelmo::DiskState> state;
    {
        nvr::CAutoCri guard(drelmo::GlobalLock());
        ASSERT_NE(Entry(kNumber), nullptr);
        state = Entry(kNumber)->disk->State();
    }
    // A worker that keeps taking the global lock until the disk's stop flag is set, as copy and
    // format workers do while they report.
    std::atomic<bool> running{false};
    state->copyWorker = std::make_unique<platform::MessageThread>();
    ASSERT_TRUE(state->copyWorker->start([&running, raw = state.get()] {
        while (!raw->stopFlag) {
            nvr::CAutoCri guard(drelmo::GlobalLock());
            running = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }));
    while (!running) std::this_thread::yield();
    Devices().remove(kNumber);
    std::atomic<bool> done{false};
    std::thread check([&done] {
        drelmo::TheInventory().RemovalCheck();
        done = true;
    });
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(done) << "the removal check deadlocked with the worker";
    check.join();
    EXPECT_TRUE(state->retired);
    EXPECT_EQ(Listed(kNumber), 0);
}

}  // namespace
}  // namespace disktest
