#include <gtest/gtest.h>

#include <windows.h>

#include "browsers/FolderTreeDelete.h"
#include "support/ScratchFolder.h"

TEST(FolderTreeDelete, RemovesWhatItCanAndNeverLeavesTheFolderGiven) {
    ScratchFolder scratch;
    scratch.MakeFile(L"outside\\precious.txt");
    scratch.MakeFile(L"tree\\gone\\a\\b\\deep.txt");
    scratch.MakeFile(L"tree\\keep\\inner\\readonly.txt");
    scratch.MakeFile(L"tree\\keep\\locked.txt");
    SetFileAttributesW(scratch.Join(L"tree\\keep\\inner\\readonly.txt").c_str(),
                       FILE_ATTRIBUTE_READONLY);
    // A link is removed as a link where the platform allows it, never entered.
    CreateSymbolicLinkW(scratch.Join(L"tree\\link").c_str(), scratch.Join(L"outside").c_str(),
                        SYMBOLIC_LINK_FLAG_DIRECTORY);
    DeleteFolderTree(scratch.Join(L"tree\\gone").c_str(), L"..");
    DeleteFolderTree(scratch.Join(L"tree").c_str(), L".");
    EXPECT_TRUE(scratch.Exists(L"tree\\gone\\a\\b\\deep.txt"));

    HANDLE locked = CreateFileW(scratch.Join(L"tree\\keep\\locked.txt").c_str(), GENERIC_READ, 0,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    DeleteFolderTree(scratch.Path().c_str(), L"tree");
    CloseHandle(locked);
    EXPECT_TRUE(scratch.Exists(L"tree\\keep\\inner\\readonly.txt"));
    EXPECT_TRUE(scratch.Exists(L"tree\\keep\\locked.txt"));
    EXPECT_FALSE(scratch.Exists(L"tree\\gone"));
    EXPECT_TRUE(scratch.Exists(L"outside\\precious.txt"));
}
