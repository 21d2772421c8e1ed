#include <gtest/gtest.h>

#include "cestore.h"
#include "support/ScratchFolder.h"

TEST(StoreInformationTest, SizesAreThoseOfTheFoldersVolumeCappedAt4GiB) {
    ScratchFolder folder;
    ULARGE_INTEGER available, total;
    ASSERT_TRUE(GetDiskFreeSpaceExW(folder.Path().c_str(), &available, &total, nullptr));
    // A folder not made yet still names its volume; no folder names the current directory's.
    for (const std::wstring& path :
         {folder.Path(), folder.Join(L"not made\\deeper"), std::wstring()}) {
        SetStoreInformationPath(path.c_str());
        STORE_INFORMATION info = {};
        ASSERT_TRUE(GetStoreInformation(&info));
        EXPECT_EQ(info.dwStoreSize, total.QuadPart >> 32 ? 0xFFFFFFFFu : total.LowPart);
        EXPECT_NE(info.dwFreeSize, 0u);
        EXPECT_LE(info.dwFreeSize, info.dwStoreSize);
    }
}
