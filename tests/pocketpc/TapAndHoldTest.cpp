#include <gtest/gtest.h>

#include "aygshell.h"
#include "pocketpc/MessagePump.h"
#include "pocketpc/TestFrame.h"
#include "resources/resource.h"

#include <commctrl.h>

namespace {

const int kListId = 77;

// A frame with the menu bar (which arms tap-and-hold for the thread) and a
// report list of three rows filling it.
class TapAndHoldTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SHMENUBARINFO info = {};
        info.hwndParent = frame.Handle();
        info.nToolBarId = IDR_MENUBAR;
        info.hInstRes = GetModuleHandleW(nullptr);
        ASSERT_TRUE(SHCreateMenuBar(&info));

        RECT client;
        GetClientRect(frame.Handle(), &client);
        list = CreateWindowExW(0, WC_LISTVIEWW, nullptr,
                               WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0,
                               client.right, client.bottom, frame.Handle(),
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
                               GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(list, nullptr);
        LVCOLUMNW column = {};
        column.mask = LVCF_WIDTH;
        column.cx = 150;
        SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
        const wchar_t* names[] = {L"alpha", L"beta", L"gamma"};
        for (int i = 0; i < 3; ++i) {
            LVITEMW item = {};
            item.mask = LVIF_TEXT;
            item.iItem = i;
            item.pszText = const_cast<wchar_t*>(names[i]);
            SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        }
    }

    POINT RowCentre(int row) {
        RECT rect = {};
        rect.left = LVIR_LABEL;
        SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
        return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    }

    void Post(UINT message, WPARAM keys, POINT at) {
        PostMessageW(list, message, keys, MAKELPARAM(at.x, at.y));
    }

    bool Selected(int row) {
        return SendMessageW(list, LVM_GETITEMSTATE, row, LVIS_SELECTED) & LVIS_SELECTED;
    }

    bool AwaitContextMenu() {
        return PumpUntil([&] { return !frame.contextMenus.empty(); }, 3000);
    }

    void ExpectOneContextMenuAt(POINT client) {
        PumpFor(300);  // anything doubled would have arrived by now
        ASSERT_EQ(frame.contextMenus.size(), 1u);
        const NMRGINFO& info = frame.contextMenus[0];
        POINT screen = client;
        ClientToScreen(list, &screen);
        EXPECT_EQ(info.hdr.hwndFrom, list);
        EXPECT_EQ(info.hdr.idFrom, static_cast<UINT_PTR>(kListId));
        EXPECT_EQ(info.ptAction.x, screen.x);
        EXPECT_EQ(info.ptAction.y, screen.y);
        EXPECT_EQ(info.dwItemSpec, 0u);
    }

    TestFrame frame{60, 40, 260, 240};
    HWND list = nullptr;
};

TEST_F(TapAndHoldTest, RightClickSelectsTheRowThenNotifiesOnce) {
    POINT row = RowCentre(1);
    Post(WM_RBUTTONDOWN, MK_RBUTTON, row);
    Post(WM_RBUTTONUP, 0, row);
    ASSERT_TRUE(AwaitContextMenu());
    EXPECT_TRUE(Selected(1));
    EXPECT_FALSE(Selected(0));
    ExpectOneContextMenuAt(row);
}

TEST_F(TapAndHoldTest, HoldingTheButtonStillNotifiesOnceWithThePressPoint) {
    POINT row = RowCentre(2);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, row);
    ASSERT_TRUE(AwaitContextMenu());
    EXPECT_TRUE(Selected(2));
    Post(WM_LBUTTONUP, 0, row);
    ExpectOneContextMenuAt(row);
}

TEST_F(TapAndHoldTest, ListWorksNormallyAfterAHoldAnsweredWithAMenu) {
    frame.menuOnContext = true;
    Post(WM_LBUTTONDOWN, MK_LBUTTON, RowCentre(0));
    ASSERT_TRUE(AwaitContextMenu());
    ASSERT_EQ(frame.popupInits.size(), 1u);
    Post(WM_LBUTTONUP, 0, RowCentre(0));
    PumpFor(100);
    EXPECT_NE(GetCapture(), list);

    Post(WM_LBUTTONDOWN, MK_LBUTTON, RowCentre(2));
    Post(WM_LBUTTONUP, 0, RowCentre(2));
    PumpFor(100);
    EXPECT_TRUE(Selected(2));
    EXPECT_FALSE(Selected(0));
    EXPECT_EQ(frame.contextMenus.size(), 1u);
}

TEST_F(TapAndHoldTest, ShortTapsDragsAndOtherWindowsNotifyNothing) {
    POINT row = RowCentre(0);
    Post(WM_LBUTTONDOWN, MK_LBUTTON, row);
    Post(WM_LBUTTONUP, 0, row);
    PumpFor(800);

    Post(WM_LBUTTONDOWN, MK_LBUTTON, row);
    Post(WM_MOUSEMOVE, MK_LBUTTON, {row.x + 30, row.y + 30});
    PumpFor(800);
    Post(WM_LBUTTONUP, 0, {row.x + 30, row.y + 30});

    // A right click outside any list is not a tap-and-hold.
    PostMessageW(frame.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    PostMessageW(frame.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(5, 5));
    PumpFor(300);
    EXPECT_TRUE(frame.contextMenus.empty());
}

TEST_F(TapAndHoldTest, ListDestroyedDuringTheHoldRaisesNothing) {
    Post(WM_LBUTTONDOWN, MK_LBUTTON, RowCentre(0));
    PumpFor(100);
    DestroyWindow(list);
    PumpFor(700);
    EXPECT_TRUE(frame.contextMenus.empty());
}

}  // namespace
