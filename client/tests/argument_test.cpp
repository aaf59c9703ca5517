// Missing, closed and foreign handles and missing names: each call's failure value, never a crash.
#include <gtest/gtest.h>

#include <functional>

#include "scenario_drives.h"
#include "scenario_support.h"

namespace clienttest {
namespace {

// Every call on a handle, with the value it gives for a handle that is not a live object.
struct HandleCall {
    const char* name;
    std::function<int64_t(TQHDC_HANDLE)> call;
    int64_t failure;
};

std::vector<HandleCall> handleCalls() {
    static TQHD_FIND_DATA record{};
    static char buffer[16];
    return {
        {"CloseHandle", [](TQHDC_HANDLE h) { return TQHDC_CloseHandle(h); }, TQHD_E_PARAM},
        {"GetDriverList", [](TQHDC_HANDLE h) { int32_t n = 0; return TQHDC_GetDriverList(h, nullptr, &n); }, TQHD_E_PARAM},
        {"GetFindFile", [](TQHDC_HANDLE h) { return TQHDC_GetFindFile(h, &record); }, TQHD_E_PARAM},
        {"GetFileLength", [](TQHDC_HANDLE h) { return TQHDC_GetFileLength(h); }, -1},
        {"GetFileCurrentPosition", [](TQHDC_HANDLE h) { return TQHDC_GetFileCurrentPosition(h); }, -1},
        {"ReadFile", [](TQHDC_HANDLE h) { return TQHDC_ReadFile(h, buffer, sizeof buffer); }, -1},
        {"SeekFile", [](TQHDC_HANDLE h) { return TQHDC_SeekFile(h, 0, 0); }, 0},
        {"Stop", [](TQHDC_HANDLE h) { return TQHDC_Stop(h); }, TQHD_E_PARAM},
        {"RegistIntCallBack", [](TQHDC_HANDLE h) { return TQHDC_RegistIntCallBack(h, 0, nullptr); }, TQHD_E_PARAM},
        {"RegistIntMsg", [](TQHDC_HANDLE h) { return TQHDC_RegistIntMsg(h, 0, nullptr, 0); }, TQHD_E_PARAM},
        {"OpenFindFile", [](TQHDC_HANDLE h) { return int64_t{TQHDC_OpenFindFile(h, nullptr, 0) != nullptr}; }, 0},
        {"OpenFileByFind", [](TQHDC_HANDLE h) { return int64_t{TQHDC_OpenFileByFind(h, &record) != nullptr}; }, 0},
        {"OpenAVFileByFind", [](TQHDC_HANDLE h) { return int64_t{TQHDC_OpenAVFileByFind(h, &record) != nullptr}; }, 0},
        {"OpenAVFileByIndexFileCon",
         [](TQHDC_HANDLE h) { return int64_t{TQHDC_OpenAVFileByIndexFileCon(h, buffer, sizeof buffer) != nullptr}; }, 0},
    };
}

TEST(ClientArguments, HandlesThatAreNoLiveObjectGetTheCallsFailureValue) {
    TQHDC_HANDLE closed = TQHDC_OpenFileByRName(filesRName("hello.txt").c_str());
    ASSERT_NE(closed, nullptr);
    ASSERT_EQ(TQHDC_CloseHandle(closed), TQHD_OK);
    int foreign = 0;
    const struct {
        const char* what;
        TQHDC_HANDLE handle;
    } handles[] = {{"missing", nullptr}, {"closed", closed}, {"foreign", &foreign}};
    for (const auto& h : handles)
        for (const HandleCall& c : handleCalls()) EXPECT_EQ(c.call(h.handle), c.failure) << h.what << " " << c.name;
}

TEST(ClientArguments, MissingNamesAndPointers) {
    TQHD_DISK_INFO disks[2]{};
    TQHD_DRIVER_INFO volumes[4]{};
    int32_t count = 0;
    int32_t status = 0;
    EXPECT_EQ(TQHDC_GetHardDiskList(disks, nullptr), TQHD_E_PARAM);
    EXPECT_EQ(TQHDC_GetDiskList(disks, nullptr), TQHD_E_PARAM);
    EXPECT_EQ(TQHDC_GetDriverListByRName(nullptr, volumes, &count), TQHD_E_PARAM);
    EXPECT_EQ(TQHDC_GetDriverListByRName("/1/", nullptr, &count), TQHD_E_PARAM);
    EXPECT_EQ(TQHDC_GetDriverListByRName("/1/", volumes, nullptr), TQHD_E_PARAM);
    EXPECT_EQ(TQHDC_IsNvrFile(nullptr), 0u);
    EXPECT_EQ(TQHDC_IsNvrFile(""), 0u);
    EXPECT_EQ(TQHDC_RegistIntCallBackByRName(nullptr, 0, nullptr), 0);
    EXPECT_EQ(TQHDC_RegistIntMsgByRName(nullptr, 0, nullptr, 0), 0);
    EXPECT_EQ(TQHDC_OpenHardDisk(nullptr), nullptr);
    EXPECT_EQ(TQHDC_OpenHardDiskByRName(nullptr), nullptr);
    EXPECT_EQ(TQHDC_OpenHardDiskByDir("/tmp"), nullptr) << "as its twin, always none";
    EXPECT_EQ(TQHDC_OpenFindFileByRName(nullptr), nullptr);
    EXPECT_EQ(TQHDC_OpenFileByRName(nullptr), nullptr);
    EXPECT_EQ(TQHDC_OpenAVFileByRName(nullptr), nullptr);
    EXPECT_EQ(TQHDC_OpenAVFileByName(nullptr, 0), nullptr);
    EXPECT_EQ(TQHDC_FormatHDDByFind(nullptr, &status, 0, nullptr, 0), nullptr);
    EXPECT_EQ(TQHDC_FormatHDDByRName(nullptr, &status, 0, nullptr, 0), nullptr);
    EXPECT_EQ(TQHDC_SetPar(nullptr, 0, 0), TQHD_E_NOTIMPL);
    EXPECT_EQ(TQHDC_SetParByRName("/1/", 0, 0), TQHD_E_NOTIMPL);
}

TEST(ClientArguments, NamesTheLibraryDoesNotKnow) {
    int32_t status = 0;
    EXPECT_EQ(TQHDC_OpenHardDiskByRName("/19/"), nullptr);
    EXPECT_EQ(TQHDC_OpenFileByRName(filesRName("no-such-file").c_str()), nullptr);
    EXPECT_EQ(TQHDC_OpenFindFileByRName(filesRName("no-such-directory/").c_str()), nullptr);
    EXPECT_EQ(TQHDC_OpenAVFileByRName(filesRName("hello.txt").c_str()), nullptr) << "not an index file";
    EXPECT_EQ(TQHDC_FormatHDDByRName("/19/", &status, 0, nullptr, 0), nullptr);
    EXPECT_EQ(status, TQHD_E_UNAVAILABLE);
    EXPECT_EQ(TQHDC_DiskCopy(19, 18, &status), nullptr);
    EXPECT_EQ(status, TQHD_E_UNAVAILABLE);
}

}  // namespace
}  // namespace clienttest
