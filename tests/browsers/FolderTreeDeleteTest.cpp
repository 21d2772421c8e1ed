#include <gtest/gtest.h>

#include <windows.h>

#include "browsers/FolderTreeDelete.h"
#include "support/ScratchFolder.h"

TEST(FolderTreeDelete, RemovesDeepTreeWithFiles) {
    ScratchFolder scratch;
    scratch.MakeFolder(L"tree\\a\\b\\c\\d");
    scratch.MakeFolder(L"tree\\empty");
    scratch.MakeFile(L"tree\\top.txt");
    scratch.MakeFile(L"tree\\a\\one.txt");
    scratch.MakeFile(L"tree\\a\\b\\c\\d\\deep.txt");
    scratch.MakeFile(L"sibling.txt");
    DeleteFolderTree(scratch.Path().c_str(), L"tree");
    EXPECT_FALSE(scratch.Exists(L"tree"));
    EXPECT_TRUE(scratch.Exists(L"sibling.txt"));
    EXPECT_TRUE(scratch.Exists(L""));
}

TEST(FolderTreeDelete, UndeletableEntryStaysWithItsParents) {
    ScratchFolder scratch;
    scratch.MakeFolder(L"tree\\keep\\inner");
    scratch.MakeFolder(L"tree\\gone");
    scratch.MakeFile(L"tree\\keep\\inner\\readonly.txt");
    scratch.MakeFile(L"tree\\keep\\inner\\plain.txt");
    scratch.MakeFile(L"tree\\gone\\file.txt");
    SetFileAttributesW(scratch.Join(L"tree\\keep\\inner\\readonly.txt").c_str(),
                       FILE_ATTRIBUTE_READONLY);
    DeleteFolderTree(scratch.Path().c_str(), L"tree");
    EXPECT_TRUE(scratch.Exists(L"tree\\keep\\inner\\readonly.txt"));
    EXPECT_FALSE(scratch.Exists(L"tree\\keep\\inner\\plain.txt"));
    EXPECT_FALSE(scratch.Exists(L"tree\\gone"));
}

TEST(FolderTreeDelete, LockedFileStays) {
    ScratchFolder scratch;
    scratch.MakeFolder(L"tree");
    scratch.MakeFile(L"tree\\open.txt");
    HANDLE locked = CreateFileW(scratch.Join(L"tree\\open.txt").c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, locked);
    DeleteFolderTree(scratch.Path().c_str(), L"tree");
    CloseHandle(locked);
    EXPECT_TRUE(scratch.Exists(L"tree\\open.txt"));
}

TEST(FolderTreeDelete, NeverLeavesTheFolderGiven) {
    ScratchFolder scratch;
    scratch.MakeFolder(L"outside");
    scratch.MakeFile(L"outside\\precious.txt");
    scratch.MakeFolder(L"tree\\sub");
    scratch.MakeFile(L"neighbour.txt");
    // Dot names must never be taken as something to delete.
    DeleteFolderTree(scratch.Join(L"tree\\sub").c_str(), L"..");
    DeleteFolderTree(scratch.Join(L"tree").c_str(), L".");
    EXPECT_TRUE(scratch.Exists(L"tree\\sub"));
    // A link inside the tree is removed as a link (where the platform lets
    // it), never followed into the folder it points at.
    bool linked =
        CreateSymbolicLinkW(scratch.Join(L"tree\\link").c_str(), scratch.Join(L"outside").c_str(),
                            SYMBOLIC_LINK_FLAG_DIRECTORY);
    DeleteFolderTree(scratch.Path().c_str(), L"tree");
    EXPECT_TRUE(scratch.Exists(L"outside\\precious.txt"));
    EXPECT_TRUE(scratch.Exists(L"neighbour.txt"));
    EXPECT_FALSE(scratch.Exists(L"tree\\sub"));
    if (!linked) {
        EXPECT_FALSE(scratch.Exists(L"tree"));
    }
}
