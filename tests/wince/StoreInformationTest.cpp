#include <gtest/gtest.h>

#include "cestore.h"

#include <string>

namespace {

std::wstring TempFolder() {
    wchar_t path[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, path);
    return std::wstring(path, length);
}

DWORD Saturated(ULONGLONG size) { return size > 0xFFFFFFFFull ? 0xFFFFFFFFu : DWORD(size); }

class StoreInformationTest : public ::testing::Test {
  protected:
    void TearDown() override { SetStoreInformationPath(nullptr); }
};

TEST_F(StoreInformationTest, SizesAreThoseOfTheVolumeOfTheGivenFolderCappedAt4GiB) {
    std::wstring folder = TempFolder();
    SetStoreInformationPath(folder.c_str());
    STORE_INFORMATION info = {};
    ASSERT_TRUE(GetStoreInformation(&info));

    ULARGE_INTEGER available, total;
    ASSERT_TRUE(GetDiskFreeSpaceExW(folder.c_str(), &available, &total, nullptr));
    EXPECT_EQ(info.dwStoreSize, Saturated(total.QuadPart));
    EXPECT_NE(info.dwStoreSize, 0u);
    EXPECT_NE(info.dwFreeSize, 0u);
    EXPECT_LE(info.dwFreeSize, info.dwStoreSize);
}

TEST_F(StoreInformationTest, MissingFolderStillNamesItsVolumeAndNoPathMeansCurrentDirectory) {
    STORE_INFORMATION onTemp = {};
    SetStoreInformationPath(TempFolder().c_str());
    ASSERT_TRUE(GetStoreInformation(&onTemp));

    std::wstring missing = TempFolder() + L"no such folder\\deeper";
    SetStoreInformationPath(missing.c_str());
    STORE_INFORMATION onMissing = {};
    ASSERT_TRUE(GetStoreInformation(&onMissing));
    EXPECT_EQ(onMissing.dwStoreSize, onTemp.dwStoreSize);

    SetStoreInformationPath(nullptr);
    STORE_INFORMATION current = {};
    EXPECT_TRUE(GetStoreInformation(&current));
    EXPECT_NE(current.dwStoreSize, 0u);
}

TEST_F(StoreInformationTest, UnusablePathsFailAndLeaveTheResultAlone) {
    STORE_INFORMATION info = {7, 7};
    SetStoreInformationPath(L"Q:\\nowhere");
    EXPECT_FALSE(GetStoreInformation(&info));
    EXPECT_EQ(info.dwStoreSize, 7u);
    EXPECT_FALSE(GetStoreInformation(nullptr));
}

}  // namespace
