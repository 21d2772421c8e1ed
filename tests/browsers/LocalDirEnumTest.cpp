#include <gtest/gtest.h>

#include <set>
#include <string>

#include "browsers/LocalDirEnum.h"
#include "browsers/LocalPath.h"
#include "support/ScratchFolder.h"

static std::wstring PathAfter(std::initializer_list<const wchar_t*> names) {
    LocalDirEnum walker;
    for (const wchar_t* name : names) EXPECT_EQ(S_OK, walker.ChangeDirectory(name)) << name;
    return walker.GetPath();
}

TEST(LocalDirEnum, StartsAtRootAndGoesUp) {
    EXPECT_EQ(L"\\", PathAfter({}));
    EXPECT_EQ(L"\\A", PathAfter({L"A", L"B", L".."}));
    EXPECT_EQ(L"\\", PathAfter({L"A", L".."}));
    EXPECT_EQ(L"\\", PathAfter({L"..", L".."}));
    EXPECT_EQ(L"\\", PathAfter({L"\\A", L".."}));
    EXPECT_EQ(L"/A", PathAfter({L"/A/B", L".."}));
}

TEST(LocalDirEnum, AbsoluteNamesReplaceAndOthersAppend) {
    EXPECT_EQ(L"\\B", PathAfter({L"B"}));
    EXPECT_EQ(L"\\A\\B", PathAfter({L"A", L"B"}));
    EXPECT_EQ(L"\\X\\Y", PathAfter({L"A", L"\\X\\Y"}));
    EXPECT_EQ(L"/X/Y", PathAfter({L"A", L"/X/Y"}));
    EXPECT_EQ(L"/X/Z", PathAfter({L"/X/", L"Z"}));
}

TEST(LocalDirEnum, OverlongPathIsRefusedAndPathKept) {
    LocalDirEnum walker;
    std::wstring longName(499, L'a');
    ASSERT_EQ(S_OK, walker.ChangeDirectory(longName.c_str()));
    EXPECT_EQ(S_OK, walker.ChangeDirectory(L"1234567890"));  // 511 characters in all
    EXPECT_EQ(E_FAIL, walker.ChangeDirectory(L"b"));
    EXPECT_EQ(511u, wcslen(walker.GetPath()));
    std::wstring absolute = L"\\" + std::wstring(511, L'c');
    EXPECT_EQ(E_FAIL, walker.ChangeDirectory(absolute.c_str()));
    EXPECT_EQ(511u, wcslen(walker.GetPath()));
}

TEST(LocalPath, JoinAddsOneSeparatorAndRefusesOverflow) {
    wchar_t out[8];
    EXPECT_TRUE(JoinPath(out, L"\\A", L"b"));
    EXPECT_STREQ(L"\\A\\b", out);
    EXPECT_TRUE(JoinPath(out, L"\\A/", L"b"));
    EXPECT_STREQ(L"\\A/b", out);
    EXPECT_FALSE(JoinPath(out, L"\\A", L"bcdef"));
    EXPECT_STREQ(L"\\A/b", out);
    EXPECT_STREQ(L"D\\x\\y", MakeEntryItem(L'D', L"\\x", L"y").GetText());
}

TEST(LocalDirEnum, ListsRealFolderUntilExhausted) {
    ScratchFolder scratch;
    scratch.MakeFile(L"one.txt");
    scratch.MakeFolder(L"sub");
    LocalDirEnum walker;
    ASSERT_EQ(S_OK, walker.ChangeDirectory(scratch.RootedPath().c_str()));
    std::set<std::wstring> names;
    WIN32_FIND_DATAW data;
    for (HRESULT result = walker.FindFirst(&data, nullptr); result == S_OK;
         result = walker.FindNext(&data))
        if (!IsDotEntry(data.cFileName)) names.insert(data.cFileName);
    EXPECT_EQ((std::set<std::wstring>{L"one.txt", L"sub"}), names);
    EXPECT_EQ(E_FAIL, walker.FindNext(&data));  // search closed, stays closed

    ASSERT_EQ(S_OK, walker.ChangeDirectory(L"missing"));
    EXPECT_EQ(E_FAIL, walker.FindFirst(&data, nullptr));
    EXPECT_EQ(E_FAIL, walker.FindNext(&data));
}
