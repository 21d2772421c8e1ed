#include <gtest/gtest.h>

#include "framework/WString.h"

TEST(WString, NullStaysNull) {
    WString s(nullptr);
    EXPECT_EQ(nullptr, s.GetText());
    s = L"abc";
    s = static_cast<const wchar_t*>(nullptr);
    EXPECT_EQ(nullptr, s.GetText());
}

TEST(WString, SelfAssignmentKeepsText) {
    WString s(L"hello world");
    s = s;
    EXPECT_STREQ(L"hello world", s.GetText());
    s = s.GetText() + 6;  // text pointing into its own buffer
    EXPECT_STREQ(L"world", s.GetText());
}
