#include <gtest/gtest.h>

#include "aygshell.h"

namespace {

TEST(SipInfoTest, InputPanelIsDownAndTheWorkAreaIsTheVisibleDesktop) {
    SIPINFO info = {sizeof(info), SIPF_ON, {}, {}, 0, nullptr};
    ASSERT_TRUE(SHSipInfo(SPI_GETSIPINFO, 0, &info, 0));
    RECT workArea;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0);
    EXPECT_EQ(info.fdwFlags, 0u);
    EXPECT_TRUE(EqualRect(&info.rcVisibleDesktop, &workArea));
    EXPECT_FALSE(SHSipInfo(SPI_GETWORKAREA, 0, &info, 0));
}

}  // namespace
