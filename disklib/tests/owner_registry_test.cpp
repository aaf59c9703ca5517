// Program names registered on a disk by the handles that use it.
#include "internal_support.h"

namespace disktest {
namespace {

class OwnerRegistryTest : public InternalTest {
protected:
    std::vector<drelmo::OwnerEntry> Owners() {
        nvr::CAutoCri guard(drelmo::GlobalLock());
        return Entry(kMainDisk)->owners;
    }
};

TEST_F(OwnerRegistryTest, CountsHandlesPerNameAndForgetsClosedOnes) {
    TQHD_HANDLE first = TQHD_OpenFileByRName("/1/0/readme.txt");
    TQHD_HANDLE second = TQHD_OpenFindFileByRName("/1/0/dir/");
    TQHD_HANDLE third = TQHD_OpenFileByRName("/1/");
    ASSERT_TRUE(first && second && third);
    ASSERT_EQ(TQHD_SetExeFileName(first, "player"), TQHD_OK);
    ASSERT_EQ(TQHD_SetExeFileName(first, "other"), TQHD_OK);  // only the first name counts
    ASSERT_EQ(TQHD_SetExeFileName(second, "player"), TQHD_OK);
    ASSERT_EQ(TQHD_SetExeFileName(third, "Player"), TQHD_OK);  // names compare exactly
    auto owners = Owners();
    ASSERT_EQ(owners.size(), 2u);
    EXPECT_EQ(owners[0].name, "player");
    EXPECT_EQ(owners[0].count, 2);
    EXPECT_EQ(owners[1].name, "Player");

    ASSERT_EQ(TQHD_CloseHandle(first), TQHD_OK);
    owners = Owners();
    ASSERT_EQ(owners.size(), 2u);
    EXPECT_EQ(owners[0].count, 1);
    ASSERT_EQ(TQHD_CloseHandle(second), TQHD_OK);
    owners = Owners();
    ASSERT_EQ(owners.size(), 1u) << "an entry whose count reaches 0 goes, later entries move up";
    EXPECT_EQ(owners[0].name, "Player");
    ASSERT_EQ(TQHD_CloseHandle(third), TQHD_OK);
    EXPECT_TRUE(Owners().empty());
}

TEST_F(OwnerRegistryTest, DiskHandlesRegisterNothingAndLongNamesAreCut) {
    ASSERT_EQ(TQHD_SetExeFileName(TQHD_OpenHardDiskByRName("/1/"), "disk-user"), TQHD_OK);
    EXPECT_TRUE(Owners().empty());
    TQHD_HANDLE file = TQHD_OpenFileByRName("/1/0/readme.txt");
    const std::string longName(400, 'n');
    ASSERT_EQ(TQHD_SetExeFileName(file, longName.c_str()), TQHD_OK);
    ASSERT_EQ(Owners().size(), 1u);
    EXPECT_EQ(Owners()[0].name.size(), 259u);
    TQHD_CloseHandle(file);
    EXPECT_TRUE(Owners().empty());
}

TEST_F(OwnerRegistryTest, OpenHandlesAreCountedOnTheirDisk) {
    auto& state = *Entry(kMainDisk)->disk->State();
    const int32_t before = state.openObjects;
    TQHD_HANDLE file = TQHD_OpenFileByRName("/1/0/dir/sub/deep.bin");
    TQHD_HANDLE dir = TQHD_OpenFindFileByRName("/1/0/dir/sub/");
    EXPECT_EQ(state.openObjects, before + 2) << "directories opened during the walk are not left counted";
    TQHD_CloseHandle(file);
    TQHD_CloseHandle(dir);
    EXPECT_EQ(state.openObjects, before);
    EXPECT_EQ(TQHD_OpenFileByRName("/1/0/missing.bin"), nullptr);
    EXPECT_EQ(state.openObjects, before) << "a failed open leaves no count behind";
}

TEST_F(OwnerRegistryTest, AFormattingDiskRefusesNewHandlesAndPausesOpenOnes) {
    auto& state = *Entry(kMainDisk)->disk->State();
    TQHD_HANDLE file = TQHD_OpenFileByRName("/1/0/readme.txt");
    TQHD_HANDLE whole = TQHD_OpenFileByRName("/1/");
    ASSERT_TRUE(file && whole);
    state.formatting = true;
    uint8_t buffer[512];
    EXPECT_EQ(TQHD_ReadFile(file, buffer, 10), -2);
    EXPECT_EQ(TQHD_SeekFile(file, 0, 0), TQHD_E_FORMATTING);
    EXPECT_EQ(TQHD_ReadFile(whole, buffer, 512), -2);
    EXPECT_EQ(TQHD_SeekFile(whole, 0, 0), TQHD_E_FORMATTING);
    EXPECT_EQ(TQHD_OpenFileByRName("/1/0/readme.txt"), nullptr);
    EXPECT_EQ(TQHD_OpenFindFileByRName("/1/0/"), nullptr);
    TQHD_HANDLE duringFormat = TQHD_OpenFileByRName("/1/");
    EXPECT_NE(duringFormat, nullptr) << "whole-drive handles are handed out while formatting";
    state.formatting = false;
    EXPECT_EQ(TQHD_ReadFile(file, buffer, 10), 10);
    for (TQHD_HANDLE handle : {file, whole, duringFormat}) TQHD_CloseHandle(handle);
}

}  // namespace
}  // namespace disktest
