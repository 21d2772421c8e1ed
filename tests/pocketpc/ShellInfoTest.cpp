#include <gtest/gtest.h>

#include "aygshell.h"

namespace {

TEST(SipInfoTest, InputPanelIsDownAndTheWorkAreaIsTheVisibleDesktop) {
    SIPINFO info = {};
    info.cbSize = sizeof(info);
    info.fdwFlags = SIPF_ON;
    ASSERT_TRUE(SHSipInfo(SPI_GETSIPINFO, 0, &info, 0));
    RECT workArea;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    EXPECT_EQ(info.fdwFlags & SIPF_ON, 0u);
    EXPECT_EQ(info.rcVisibleDesktop.left, workArea.left);
    EXPECT_EQ(info.rcVisibleDesktop.top, workArea.top);
    EXPECT_EQ(info.rcVisibleDesktop.right, workArea.right);
    EXPECT_EQ(info.rcVisibleDesktop.bottom, workArea.bottom);
}

TEST(SipInfoTest, OtherActionsAndMissingResultAreRefused) {
    SIPINFO info = {};
    SetLastError(0);
    EXPECT_FALSE(SHSipInfo(SPI_GETWORKAREA, 0, &info, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(SHSipInfo(SPI_GETSIPINFO, 0, nullptr, 0));
}

TEST(ActivationTest, AcceptsWhatTheBaseWindowPassesIncludingOnCreate) {
    SHACTIVATEINFO info = {};
    info.cbSize = 12;  // the size the program writes
    CREATESTRUCTW create = {};
    EXPECT_TRUE(SHHandleWMSettingChange(nullptr, 0, reinterpret_cast<LPARAM>(&create), &info));
    EXPECT_TRUE(SHHandleWMActivate(nullptr, WA_ACTIVE, 0, &info, 0));
    EXPECT_TRUE(SHHandleWMSettingChange(nullptr, SPI_SETWORKAREA, 0, &info));
}

}  // namespace
