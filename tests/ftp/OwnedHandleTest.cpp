#include <gtest/gtest.h>

#include <cstdio>
#include <utility>

#include "framework/OwnedHandle.h"
#include "support/ScratchFolder.h"

namespace {

bool IsOpen(HANDLE handle) {
    DWORD flags = 0;
    return GetHandleInformation(handle, &flags) != FALSE;
}

// Every way an owner lets go: going out of scope, a move, Reset and Release.
TEST(OwnedHandleTest, EachKernelHandleIsClosedOnceByItsLastOwner) {
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    {
        OwnedHandle first(event);
        OwnedHandle second(std::move(first));
        EXPECT_FALSE(first);
        EXPECT_EQ(event, second.Get());
        EXPECT_TRUE(IsOpen(event));
    }
    EXPECT_FALSE(IsOpen(event));

    HANDLE kept = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE replaced = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    OwnedHandle owner(replaced);
    owner.Reset(kept);
    EXPECT_FALSE(IsOpen(replaced));
    EXPECT_EQ(kept, owner.Release());
    EXPECT_TRUE(owner.Close());  // nothing held
    EXPECT_TRUE(IsOpen(kept));
    CloseHandle(kept);
    // A failed CreateFile's result is nothing to close.
    EXPECT_FALSE(OwnedHandle(INVALID_HANDLE_VALUE));
}

// The close is where a stream's buffered data reaches the disk.
TEST(OwnedHandleTest, AFileIsFlushedByItsClose) {
    ScratchFolder folder;
    std::wstring path = folder.Join(L"owned.txt");
    OwnedFile file(_wfopen(path.c_str(), L"wb"));
    ASSERT_TRUE(file);
    fputs("kept", file.Get());
    EXPECT_TRUE(file.Close());
    EXPECT_FALSE(file);
    EXPECT_EQ("kept", ReadBytes(path));
    EXPECT_FALSE(OwnedInternetHandle());
}

}  // namespace
