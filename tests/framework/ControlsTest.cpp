#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "framework/BaseWnd.h"
#include "framework/CWinApp.h"
#include "framework/ListViewCtl.h"

namespace {

const wchar_t hostClassName[] = L"CorvaneControlHostWnd";

class ListViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        InitCommonControls();
        app.SetInstance(GetModuleHandleW(nullptr));
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = SharedWindowProc;
        windowClass.hInstance = app.GetInstance();
        windowClass.lpszClassName = hostClassName;
        RegisterClassW(&windowClass);
        ASSERT_TRUE(host.Create(hostClassName, L"host", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300,
                                nullptr, nullptr));
        ASSERT_TRUE(list.Create(WS_CHILD | LVS_REPORT, 0, 0, 300, 200, &host, 5));
    }
    void TearDown() override {
        host.DestroyWnd();
        UnregisterClassW(hostClassName, app.GetInstance());
    }

    int ColumnWidth(int column) {
        return static_cast<int>(list.Send(LVM_GETCOLUMNWIDTH, column, 0));
    }

    CWinApp app;
    BaseWnd host;
    ListViewCtl list;
};

}  // namespace

TEST_F(ListViewTest, ColumnWidthIsSetOnlyWhenPositive) {
    EXPECT_EQ(0, list.InsertColumn(0, L"Name", LVCFMT_LEFT, 120, 0));
    // -1 would otherwise reach the control as a width of its own.
    EXPECT_EQ(1, list.InsertColumn(1, L"Size", LVCFMT_RIGHT, -1, 1));
    EXPECT_EQ(2, list.InsertColumn(2, L"Type", LVCFMT_LEFT, 0, 2));
    EXPECT_EQ(120, ColumnWidth(0));
    EXPECT_EQ(ColumnWidth(2), ColumnWidth(1));
    EXPECT_GE(ColumnWidth(1), 0);
}

TEST_F(ListViewTest, ItemDataRoundTripsAPointerSizedValue) {
    ASSERT_EQ(0, list.InsertItem(0, L"first"));
    ASSERT_EQ(1, list.InsertItem(1, L"second", 1));
    const LPARAM wide = static_cast<LPARAM>(0x123456789ABCLL);
    EXPECT_TRUE(list.SetItemData(1, wide));
    EXPECT_TRUE(list.SetItemData(0, 7));
    EXPECT_EQ(wide, list.GetItemData(1));
    EXPECT_EQ(7, list.GetItemData(0));
}

TEST_F(ListViewTest, SelectionQueriesUseOnlyTheLowFlagBits) {
    for (int row = 0; row < 4; ++row) list.InsertItem(row, L"row");
    EXPECT_TRUE(list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(2, list.GetNextItem(-1, LVNI_SELECTED | 0xABCD0000));
    EXPECT_EQ(-1, list.GetNextItem(2, LVNI_SELECTED | 0xABCD0000));
    EXPECT_TRUE(list.SetItemState(-1, 0, LVIS_SELECTED));  // -1: every row
    EXPECT_EQ(0u, list.GetSelectedCount());
}
