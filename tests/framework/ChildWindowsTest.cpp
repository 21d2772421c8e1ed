#include <gtest/gtest.h>

#include <windows.h>

#include "framework/ChildWindows.h"

namespace {

HWND MakeWindow(HWND parent, int id) {
    DWORD style = parent ? WS_CHILD : WS_OVERLAPPEDWINDOW;
    return CreateWindowExW(0, L"STATIC", L"", style, 0, 0, 10, 10, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

}  // namespace

// What is remembered must never outlive the control: a control destroyed and
// made again under the same id, a control not there yet, another parent.
TEST(ChildWindows, FollowsControlsThatComeAndGo) {
    HWND first = MakeWindow(nullptr, 0), second = MakeWindow(nullptr, 0);
    ASSERT_TRUE(first && second);
    ChildWindows items;
    EXPECT_EQ(nullptr, items.Get(first, 7));
    HWND seven = MakeWindow(first, 7);
    EXPECT_EQ(seven, items.Get(first, 7));
    EXPECT_EQ(seven, items.Get(first, 7));

    DestroyWindow(seven);
    EXPECT_EQ(nullptr, items.Get(first, 7));
    HWND again = MakeWindow(first, 7);
    EXPECT_EQ(again, items.Get(first, 7));

    HWND other = MakeWindow(second, 7);
    EXPECT_EQ(other, items.Get(second, 7));
    EXPECT_EQ(again, items.Get(first, 7));
    DestroyWindow(first);
    DestroyWindow(second);
}
