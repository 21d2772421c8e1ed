#include <gtest/gtest.h>

#include <string>

#include "browsers/LocalDirEnum.h"

static std::wstring PathAfter(std::initializer_list<const wchar_t*> names) {
    LocalDirEnum walker;
    for (const wchar_t* name : names) EXPECT_EQ(S_OK, walker.ChangeDirectory(name)) << name;
    return walker.GetPath();
}

// The drives above the roots are the local view's (LocalBrowseWndTest).
TEST(LocalDirEnum, ChangesDirectoryFromTheRootAndRefusesWhatDoesNotFit) {
    EXPECT_EQ(L"\\", PathAfter({L"..", L"A", L".."}));
    EXPECT_EQ(L"", PathAfter({L"A", L""}));
    EXPECT_EQ(L"C:\\", PathAfter({L"C:\\A", L".."}));
    EXPECT_EQ(L"C:/A", PathAfter({L"C:/A/B", L".."}));
    EXPECT_EQ(L"\\A", PathAfter({L"A", L"B", L".."}));
    EXPECT_EQ(L"/A", PathAfter({L"/A/B", L".."}));
    EXPECT_EQ(L"\\X\\Y", PathAfter({L"A", L"\\X\\Y"}));
    EXPECT_EQ(L"/X/Z", PathAfter({L"/X/", L"Z"}));

    LocalDirEnum walker;
    ASSERT_EQ(S_OK, walker.ChangeDirectory(std::wstring(499, L'a').c_str()));
    EXPECT_EQ(S_OK, walker.ChangeDirectory(L"1234567890"));  // 511 characters in all
    EXPECT_EQ(E_FAIL, walker.ChangeDirectory(L"b"));
    EXPECT_EQ(E_FAIL, walker.ChangeDirectory((L"\\" + std::wstring(511, L'c')).c_str()));
    EXPECT_EQ(511u, wcslen(walker.GetPath()));
}
