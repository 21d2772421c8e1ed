#include <gtest/gtest.h>

#include <windows.h>

#include "browsers/FolderTreeDelete.h"
#include "support/ScratchFolder.h"

TEST(FolderTreeDelete, RemovesWhatItCanAndKeepsParentsOfWhatStays) {
    ScratchFolder scratch;
    scratch.MakeFolder(L"tree\\a\\b\\c\\d");
    scratch.MakeFile(L"tree\\top.txt");
    scratch.MakeFile(L"tree\\a\\b\\c\\d\\deep.txt");
    scratch.MakeFile(L"sibling.txt");
    DeleteFolderTree(scratch.Path().c_str(), L"tree");
    EXPECT_FALSE(scratch.Exists(L"tree"));
    EXPECT_TRUE(scratch.Exists(L"sibling.txt"));

    scratch.MakeFolder(L"tree\\keep\\inner");
    scratch.MakeFolder(L"tree\\gone");
    scratch.MakeFile(L"tree\\keep\\inner\\readonly.txt");
    scratch.MakeFile(L"tree\\keep\\locked.txt");
    scratch.MakeFile(L"tree\\gone\\file.txt");
    SetFileAttributesW(scratch.Join(L"tree\\keep\\inner\\readonly.txt").c_str(),
                       FILE_ATTRIBUTE_READONLY);
    HANDLE locked = CreateFileW(scratch.Join(L"tree\\keep\\locked.txt").c_str(), GENERIC_READ, 0,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    DeleteFolderTree(scratch.Path().c_str(), L"tree");
    CloseHandle(locked);
    EXPECT_TRUE(scratch.Exists(L"tree\\keep\\inner\\readonly.txt"));
    EXPECT_TRUE(scratch.Exists(L"tree\\keep\\locked.txt"));
    EXPECT_FALSE(scratch.Exists(L"tree\\gone"));
}

TEST(FolderTreeDelete, NeverLeavesTheFolderGiven) {
    ScratchFolder scratch;
    scratch.MakeFile(L"outside\\precious.txt");
    scratch.MakeFolder(L"tree\\sub");
    DeleteFolderTree(scratch.Join(L"tree\\sub").c_str(), L"..");
    DeleteFolderTree(scratch.Join(L"tree").c_str(), L".");
    EXPECT_TRUE(scratch.Exists(L"tree\\sub"));
    // A link is removed as a link where the platform allows it, never entered.
    CreateSymbolicLinkW(scratch.Join(L"tree\\link").c_str(), scratch.Join(L"outside").c_str(),
                        SYMBOLIC_LINK_FLAG_DIRECTORY);
    DeleteFolderTree(scratch.Path().c_str(), L"tree");
    EXPECT_TRUE(scratch.Exists(L"outside\\precious.txt"));
    EXPECT_FALSE(scratch.Exists(L"tree\\sub"));
}
