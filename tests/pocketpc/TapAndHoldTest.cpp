#include <gtest/gtest.h>

#include "pocketpc/TestFrame.h"

namespace {

const int kListId = 77;

// A list of three rows on a frame whose menu bar arms tap-and-hold for the thread.
class TapAndHoldTest : public ::testing::Test {
  protected:
    void SetUp() override {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.pszText = const_cast<wchar_t*>(L"name");
        for (int row = 0; row < 3; ++row)
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }

    POINT Row(int row) {
        RECT rect = {LVIR_LABEL, 0, 0, 0};
        SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }

    void Post(UINT message, POINT at) { PostMessageW(list, message, 0, MAKELPARAM(at.x, at.y)); }

    // A button pressed and released on the point.
    void Tap(UINT buttonDown, POINT at) {
        Post(buttonDown, at);
        Post(buttonDown + 1, at);
    }

    bool Selected(int row) { return SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_SELECTED); }

    // Exactly one notification, from the list, at the tapped point on the screen.
    void ExpectOneContextMenuAt(POINT at) {
        ASSERT_TRUE(PumpUntil([&] { return !frame.contextMenus.empty(); }));
        PumpFor(700);  // longer than a hold, so a second one would show
        ASSERT_EQ(frame.contextMenus.size(), 1u);
        const NMRGINFO& info = frame.contextMenus[0];
        ClientToScreen(list, &at);
        EXPECT_EQ(info.hdr.hwndFrom, list);
        EXPECT_EQ(info.hdr.idFrom, static_cast<UINT_PTR>(kListId));
        EXPECT_EQ(info.ptAction.x, at.x);
        EXPECT_EQ(info.ptAction.y, at.y);
    }

    TestFrame frame{60, 40, 260, 240};
    HWND list =
        CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_CHILD | WS_VISIBLE | LVS_LIST, 0, 0, 200, 150,
                        frame.hwnd, reinterpret_cast<HMENU>(kListId), nullptr, nullptr);
};

}  // namespace

TEST_F(TapAndHoldTest, RightClickOrLongPressSelectsTheRowAndNotifiesOnce) {
    Tap(WM_RBUTTONDOWN, Row(1));
    ExpectOneContextMenuAt(Row(1));
    EXPECT_TRUE(Selected(1));

    frame.contextMenus.clear();
    Post(WM_LBUTTONDOWN, Row(2));
    ExpectOneContextMenuAt(Row(2));
    EXPECT_TRUE(Selected(2));
    Post(WM_LBUTTONUP, Row(2));
    PumpFor(600);
    EXPECT_EQ(frame.contextMenus.size(), 1u);
    // Once the menu is gone the list answers taps as before.
    Tap(WM_LBUTTONDOWN, Row(0));
    PumpFor(100);
    EXPECT_TRUE(Selected(0));
    EXPECT_FALSE(Selected(2));
}

TEST_F(TapAndHoldTest, ShortTapsDragsOtherWindowsAndDeadListsNotifyNothing) {
    Tap(WM_LBUTTONDOWN, Row(0));
    PumpFor(700);
    Post(WM_LBUTTONDOWN, Row(0));
    Post(WM_MOUSEMOVE, {Row(0).x + 30, Row(0).y + 30});
    PumpFor(700);
    Post(WM_LBUTTONUP, Row(0));
    HWND other = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE, 0, 160, 200, 40,
                                 frame.hwnd, nullptr, nullptr, nullptr);
    PostMessageW(other, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    PostMessageW(other, WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    PostMessageW(other, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PumpFor(700);
    Post(WM_LBUTTONDOWN, Row(1));
    PumpFor(100);
    DestroyWindow(list);
    PumpFor(700);
    EXPECT_TRUE(frame.contextMenus.empty());
}
