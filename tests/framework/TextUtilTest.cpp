#include <gtest/gtest.h>

#include "framework/TextUtil.h"

TEST(TextUtil, CopyRefusesTextThatDoesNotFit) {
    wchar_t buffer[4] = L"old";
    EXPECT_FALSE(CopyText(buffer, L"four"));
    EXPECT_STREQ(L"old", buffer);
    EXPECT_TRUE(CopyText(buffer, L"abc"));
    EXPECT_STREQ(L"abc", buffer);
}

TEST(TextUtil, AppendKeepsDestinationWhenResultIsTooLong) {
    wchar_t buffer[6] = L"ab";
    EXPECT_TRUE(AppendText(buffer, L"cde"));
    EXPECT_FALSE(AppendText(buffer, L"f"));
    EXPECT_STREQ(L"abcde", buffer);
}

TEST(TextUtil, CutKeepsTheFirstCharacters) {
    wchar_t buffer[4];
    CopyTextCut(buffer, L"abcdef");
    EXPECT_STREQ(L"abc", buffer);
    CopyTextCut(buffer, nullptr);
    EXPECT_STREQ(L"", buffer);
}
