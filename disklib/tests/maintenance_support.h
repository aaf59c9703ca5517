// Shared pieces of the copy and format tests: the test program's own device directory, drives
// built per test, and an event recorder that can answer or act on chosen events.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "device_dir_env.h"
#include "disk_image_builder.h"
#include "inventory.h"
#include "library_state.h"
#include "tqhd.h"

namespace maintenancetest {

inline const nvrtest::DeviceDirectory& Devices() {
    static const nvrtest::DeviceDirectory devices(nvrtest::testDeviceDirectory());
    return devices;
}

// Lists new drives (the program has no watcher thread; tests scan when they add drives).
inline void Scan() {
    drelmo::SetReady(true);
    drelmo::TheInventory().Scan();
}

// Unplugs every drive and lets the inventory forget them, so the next test can use any number.
inline void RemoveAllDrives() {
    for (const auto& entry : std::filesystem::directory_iterator(Devices().path())) {
        std::filesystem::remove(entry.path());
    }
    drelmo::TheInventory().RemovalCheck();
}

// Each test starts with an empty device directory and an empty inventory.
class MaintenanceTest : public ::testing::Test {
protected:
    void TearDown() override { RemoveAllDrives(); }
};

inline std::vector<uint8_t> ReadBytes(const std::string& path, uint64_t offset, size_t count) {
    std::ifstream input(path, std::ios::binary);
    input.seekg(static_cast<std::streamoff>(offset));
    std::vector<uint8_t> bytes(count);
    input.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(count));
    bytes.resize(static_cast<size_t>(input.gcount()));
    return bytes;
}

inline void WriteBytes(const std::string& path, uint64_t offset, const std::vector<uint8_t>& bytes) {
    std::fstream output(path, std::ios::binary | std::ios::in | std::ios::out);
    output.seekp(static_cast<std::streamoff>(offset));
    output.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadText(const std::string& path) {
    std::ifstream input(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(input), {});
}

inline void WriteText(const std::string& path, const std::string& text) {
    std::ofstream output(path, std::ios::binary | std::ios::trunc);
    output << text;
}

struct Event {
    int32_t code = 0;
    int32_t value = 0;
    bool operator==(const Event&) const = default;
};

inline std::ostream& operator<<(std::ostream& out, const Event& event) {
    char text[40];
    std::snprintf(text, sizeof text, "{%X, %X}", static_cast<unsigned>(event.code), static_cast<unsigned>(event.value));
    return out << text;
}

// Records the events of a disk's worker through the callback registration. `onEvent` runs on the
// worker thread for every event and may answer by returning a new lValue.
class EventRecorder {
public:
    explicit EventRecorder(TQHD_HANDLE disk) : disk_(disk) {
        std::lock_guard lock(RegistryMutex());
        key_ = ++NextKey();
        Registry()[key_] = this;
        TQHD_RegistIntCallBack(disk_, key_, &EventRecorder::Receive);
    }
    ~EventRecorder() {
        TQHD_RegistIntCallBack(disk_, 0, nullptr);
        std::lock_guard lock(RegistryMutex());
        Registry().erase(key_);
    }
    EventRecorder(const EventRecorder&) = delete;
    EventRecorder& operator=(const EventRecorder&) = delete;

    std::function<int32_t(const Event&)> onEvent;

    // Waits for the done event of a copy or format; the generous bound only keeps a broken worker
    // from hanging the test run.
    Event WaitDone(int32_t doneCode) {
        std::unique_lock lock(mutex_);
        const bool done = changed_.wait_for(lock, std::chrono::seconds(120), [&] {
            return !events_.empty() && events_.back().code == doneCode;
        });
        EXPECT_TRUE(done) << "no done event";
        return done ? events_.back() : Event{};
    }
    std::vector<Event> Events() {
        std::lock_guard lock(mutex_);
        return events_;
    }
    // The events other than chunk and group progress, which the sequence tests check apart.
    void Clear() {
        std::lock_guard lock(mutex_);
        events_.clear();
    }

private:
    static void Receive(uint32_t key, TQHD_EVENT* event) {
        EventRecorder* recorder = nullptr;
        {
            std::lock_guard lock(RegistryMutex());
            auto found = Registry().find(key);
            if (found != Registry().end()) recorder = found->second;
        }
        if (recorder != nullptr) recorder->Record(event);
    }
    void Record(TQHD_EVENT* event) {
        const Event seen{event->lCode, event->lValue};
        if (onEvent) event->lValue = onEvent(seen);
        std::lock_guard lock(mutex_);
        events_.push_back(seen);
        changed_.notify_all();
    }
    static std::mutex& RegistryMutex() {
        static std::mutex mutex;
        return mutex;
    }
    static std::map<uint32_t, EventRecorder*>& Registry() {
        static std::map<uint32_t, EventRecorder*> registry;
        return registry;
    }
    static uint32_t& NextKey() {
        static uint32_t key = 0;
        return key;
    }

    TQHD_HANDLE disk_;
    uint32_t key_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Event> events_;
};

}  // namespace maintenancetest
