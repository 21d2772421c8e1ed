#include <gtest/gtest.h>

#include "cestore.h"

#include <string>

namespace {

std::wstring TempFolder() {
    wchar_t path[MAX_PATH + 1];
    return std::wstring(path, GetTempPathW(MAX_PATH + 1, path));
}

TEST(StoreInformationTest, SizesAreThoseOfTheFoldersVolumeCappedAt4GiB) {
    std::wstring folder = TempFolder();
    ULARGE_INTEGER available, total;
    ASSERT_TRUE(GetDiskFreeSpaceExW(folder.c_str(), &available, &total, nullptr));
    // A folder not made yet still names its volume.
    for (std::wstring path : {folder, folder + L"not made\\deeper"}) {
        SetStoreInformationPath(path.c_str());
        STORE_INFORMATION info = {};
        ASSERT_TRUE(GetStoreInformation(&info));
        EXPECT_EQ(info.dwStoreSize, total.QuadPart >> 32 ? 0xFFFFFFFFu : total.LowPart);
        EXPECT_NE(info.dwFreeSize, 0u);
        EXPECT_LE(info.dwFreeSize, info.dwStoreSize);
    }
    SetStoreInformationPath(nullptr);
    STORE_INFORMATION current = {};
    EXPECT_TRUE(GetStoreInformation(&current));
}

}  // namespace
