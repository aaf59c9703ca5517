// What every handle answers: closing, stale and foreign values, and operations of other classes.
#include <atomic>
#include <thread>

#include "api_support.h"

namespace disktest {
namespace {

class HandleTest : public ApiTest {};

TEST_F(HandleTest, ClosingDiskHandlesAndNullDoesNothing) {
    TQHD_HANDLE disk = DiskHandle(kMainDisk);
    EXPECT_EQ(TQHD_CloseHandle(nullptr), TQHD_OK);
    EXPECT_EQ(TQHD_CloseHandle(disk), TQHD_OK);
    EXPECT_EQ(TQHD_CloseHandle(disk), TQHD_OK);
    HandleCloser root(TQHD_OpenFindFile(disk, nullptr, 0));
    EXPECT_NE(root.get(), nullptr) << "the disk handle keeps working";
}

TEST_F(HandleTest, ClosedAndForeignHandlesGetCodesNotCrashes) {
    TQHD_HANDLE file = TQHD_OpenFileByRName("/1/0/readme.txt");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(TQHD_CloseHandle(file), TQHD_OK);
    uint64_t foreign[64]{};  // not a library object
    for (TQHD_HANDLE stale : {file, static_cast<TQHD_HANDLE>(foreign)}) {
        uint8_t buffer[512];
        TQHD_FIND_DATA record{};
        EXPECT_EQ(TQHD_CloseHandle(stale), TQHD_E_BADHANDLE);
        EXPECT_EQ(TQHD_ReadFile(stale, buffer, sizeof buffer), -1);
        EXPECT_EQ(TQHD_SeekFile(stale, 0, 0), TQHD_E_BADHANDLE);
        EXPECT_EQ(TQHD_GetFileLength(stale), -1);
        EXPECT_EQ(TQHD_GetFileCurrentPosition(stale), -1);
        EXPECT_EQ(TQHD_GetFindFile(stale, &record), TQHD_E_PARAM);
        EXPECT_EQ(TQHD_SetExeFileName(stale, "x"), TQHD_E_BADHANDLE);
        EXPECT_EQ(TQHD_OpenFindFile(stale, nullptr, 0), nullptr);
        EXPECT_EQ(TQHD_OpenFileByFind(stale, &record), nullptr);
        EXPECT_EQ(TQHD_RegistIntCallBack(stale, 1, nullptr), TQHD_E_PARAM);
        EXPECT_EQ(TQHD_RegistIntMsg(stale, 1, nullptr, 1), TQHD_E_PARAM);
        EXPECT_EQ(TQHD_Stop(stale), TQHD_E_PARAM);
    }
}

TEST_F(HandleTest, OperationsAClassDoesNotOfferAnswerSoftly) {
    TQHD_HANDLE disk = DiskHandle(kMainDisk);
    HandleCloser dir(TQHD_OpenFindFileByRName("/1/0/"));
    uint8_t buffer[512];
    const int64_t notSupported = static_cast<int64_t>(static_cast<uint32_t>(TQHD_E_NOTSUPPORTED));
    EXPECT_EQ(TQHD_ReadFile(dir.get(), buffer, sizeof buffer), TQHD_E_NOTSUPPORTED);
    EXPECT_EQ(TQHD_SeekFile(dir.get(), 0, 0), TQHD_E_NOTSUPPORTED);
    EXPECT_EQ(TQHD_GetFileLength(dir.get()), notSupported);
    EXPECT_EQ(TQHD_GetFileCurrentPosition(dir.get()), -1);
    EXPECT_EQ(TQHD_ReadFile(disk, buffer, sizeof buffer), TQHD_E_NOTSUPPORTED);
    EXPECT_EQ(TQHD_SeekFile(disk, 0, 0), TQHD_E_NOTSUPPORTED);
    EXPECT_EQ(TQHD_GetFileLength(disk), static_cast<int64_t>(DriveSize(kMainDisk)));
    EXPECT_EQ(TQHD_GetFileCurrentPosition(disk), -1);
}

TEST_F(HandleTest, FixedAnswers) {
    EXPECT_EQ(TQHD_UnInitialize(), TQHD_OK);
    EXPECT_EQ(TQHD_SetPar(), TQHD_E_NOTIMPL);
    EXPECT_EQ(TQHD_SetParByRName(), TQHD_E_NOTIMPL);
    EXPECT_EQ(TQHD_SetExeFileName(nullptr, "x"), TQHD_E_PARAM);
    EXPECT_EQ(TQHD_SetExeFileName(DiskHandle(kMainDisk), "x"), TQHD_OK);
    EXPECT_EQ(TQHD_Stop(nullptr), TQHD_E_FAIL);
    EXPECT_EQ(TQHD_Stop(DiskHandle(kMainDisk)), TQHD_OK) << "no workers: nothing to stop";
}

TEST_F(HandleTest, RegistrationsNeedAListedDisk) {
    EXPECT_EQ(TQHD_RegistIntCallBack(nullptr, 1, nullptr), TQHD_E_PARAM);
    EXPECT_EQ(TQHD_RegistIntMsg(nullptr, 1, nullptr, 1), TQHD_E_PARAM);
    EXPECT_EQ(TQHD_RegistIntCallBack(DiskHandle(kMainDisk), 1, nullptr), TQHD_OK);
    EXPECT_EQ(TQHD_RegistIntMsg(DiskHandle(kMainDisk), 1, nullptr, 0x400), TQHD_OK);
    EXPECT_EQ(TQHD_RegistIntCallBackByRName("/1/0/", 2, nullptr), TQHD_OK);
    EXPECT_EQ(TQHD_RegistIntMsgByRName("/2/", 2, nullptr, 0x400), TQHD_OK);
    EXPECT_EQ(TQHD_RegistIntCallBackByRName("/9/", 2, nullptr), TQHD_E_PARAM);
    EXPECT_EQ(TQHD_RegistIntMsgByRName("\\1\\", 2, nullptr, 0x400), TQHD_E_PARAM);
    HandleCloser dir(TQHD_OpenFindFileByRName("/1/0/"));
    EXPECT_EQ(TQHD_RegistIntCallBack(dir.get(), 1, nullptr), TQHD_E_PARAM) << "not a disk handle";
}

TEST_F(HandleTest, HandlesWorkFromManyThreadsAtOnce) {
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&failures, t] {
            for (int round = 0; round < 20; ++round) {
                const bool deep = t % 2 == 1;
                TQHD_HANDLE file = TQHD_OpenFileByRName(deep ? "/1/0/dir/sub/deep.bin" : "/2/0/video/clip.bin");
                std::vector<uint8_t> buffer(8192);
                const int32_t want = deep ? static_cast<int32_t>(kDeepFileSize) : 8192;
                if (file == nullptr || TQHD_ReadFile(file, buffer.data(), 8192) != want) failures++;
                const uint64_t seed = deep ? kDeepFileSeed : kClipSeed;
                std::vector<uint8_t> expected(static_cast<size_t>(want));
                nvrtest::fillPattern(seed, 0, expected);
                if (!std::equal(expected.begin(), expected.end(), buffer.begin())) failures++;
                if (TQHD_CloseHandle(file) != TQHD_OK) failures++;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures, 0);
}

}  // namespace
}  // namespace disktest
