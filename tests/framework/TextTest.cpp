#include <gtest/gtest.h>

#include "framework/TextUtil.h"
#include "framework/WString.h"

TEST(WString, NullStaysNullAndOwnTextSurvivesAssignment) {
    WString text(nullptr);
    EXPECT_EQ(nullptr, text.GetText());
    text = L"hello world";
    text = text;
    EXPECT_STREQ(L"hello world", text.GetText());
    text = text.GetText() + 6;  // text pointing into its own buffer
    EXPECT_STREQ(L"world", text.GetText());
    text = static_cast<const wchar_t*>(nullptr);
    EXPECT_EQ(nullptr, text.GetText());
}

// Refusals and cuts of CopyText and CopyTextCut show in the directory walk and the
// stored settings; appending is checked only here.
TEST(TextUtil, AppendingWhatDoesNotFitIsRefusedWhole) {
    wchar_t buffer[6] = L"old";
    EXPECT_TRUE(AppendText(buffer, L"ab"));
    EXPECT_FALSE(AppendText(buffer, L"c"));
    EXPECT_STREQ(L"oldab", buffer);
}
