#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "framework/BaseWnd.h"
#include "framework/CWinApp.h"
#include "framework/ComboBoxCtl.h"
#include "framework/ImageListObj.h"
#include "framework/ListViewCtl.h"
#include "resources/resource.h"

namespace {

const wchar_t hostClassName[] = L"CorvaneControlHostWnd";

class Controls : public ::testing::Test {
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
        ASSERT_TRUE(list.Create(WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 300, 200, &host, 5));
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

TEST_F(Controls, ListViewIsAChildWithItsId) {
    EXPECT_EQ(host.GetHandle(), GetParent(list.GetHandle()));
    EXPECT_EQ(list.GetHandle(), GetDlgItem(host.GetHandle(), 5));
    // A system control never enters the program's window map.
    EXPECT_EQ(nullptr, app.LookupWindow(list.GetHandle()));
}

TEST_F(Controls, ColumnWidthIsSetOnlyWhenPositive) {
    EXPECT_EQ(0, list.InsertColumn(0, L"Name", LVCFMT_LEFT, 120, 0));
    // -1 and -2 would otherwise reach the control as its auto-size requests.
    EXPECT_EQ(1, list.InsertColumn(1, L"Size", LVCFMT_RIGHT, -1, 1));
    EXPECT_EQ(2, list.InsertColumn(2, L"Type", LVCFMT_LEFT, 0, 2));
    EXPECT_EQ(120, ColumnWidth(0));
    int unset = ColumnWidth(2);
    EXPECT_EQ(unset, ColumnWidth(1));

    wchar_t text[16] = {};
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_FMT;
    column.pszText = text;
    column.cchTextMax = ARRAYSIZE(text);
    ASSERT_TRUE(list.Send(LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(L"Size", text);
    EXPECT_EQ(LVCFMT_RIGHT, column.fmt & LVCFMT_JUSTIFYMASK);
}

TEST_F(Controls, ItemDataRoundTripsAPointerSizedValue) {
    list.InsertColumn(0, L"Name", LVCFMT_LEFT, 100, 0);
    ASSERT_EQ(0, list.InsertItem(0, L"first"));
    ASSERT_EQ(1, list.InsertItem(1, L"second", 1));
    const LPARAM wide = static_cast<LPARAM>(0x123456789ABCLL);
    EXPECT_TRUE(list.SetItemData(1, wide));
    EXPECT_TRUE(list.SetItemData(0, 7));
    EXPECT_EQ(wide, list.GetItemData(1));
    EXPECT_EQ(7, list.GetItemData(0));

    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = 1;
    ASSERT_TRUE(list.GetItem(&item));
    EXPECT_EQ(1, item.iImage);
}

TEST_F(Controls, NextItemUsesOnlyTheLowFlagBits) {
    for (int row = 0; row < 4; ++row) list.InsertItem(row, L"row");
    EXPECT_TRUE(list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(1u, list.GetSelectedCount());
    EXPECT_EQ(static_cast<UINT>(LVIS_SELECTED), list.GetItemState(2, LVIS_SELECTED));
    EXPECT_EQ(2, list.GetNextItem(-1, LVNI_SELECTED | 0xABCD0000));
    EXPECT_EQ(-1, list.GetNextItem(2, LVNI_SELECTED | 0xABCD0000));
    // -1 selects and clears every row at once.
    EXPECT_TRUE(list.SetItemState(-1, 0, LVIS_SELECTED));
    EXPECT_EQ(0u, list.GetSelectedCount());
    EXPECT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(0, list.GetItemCount());
}

TEST_F(Controls, ExtendedStyleReturnsThePreviousOne) {
    DWORD before = list.GetExtendedStyle();
    EXPECT_EQ(before, list.SetExtendedStyle(LVS_EX_FULLROWSELECT));
    EXPECT_EQ(static_cast<DWORD>(LVS_EX_FULLROWSELECT), list.GetExtendedStyle());
}

TEST_F(Controls, ComboBoxFindsExactTextOnly) {
    ComboBoxCtl combo;
    ASSERT_TRUE(combo.Create(WS_CHILD | CBS_DROPDOWN, 0, 0, 200, 100, &host, 6));
    EXPECT_EQ(0, combo.InsertString(0, L"/home/user"));
    EXPECT_EQ(0, combo.InsertString(0, L"/home"));
    EXPECT_EQ(1, combo.FindStringExact(L"/home/user", -1));
    EXPECT_EQ(CB_ERR, combo.FindStringExact(L"/ho", -1));
    EXPECT_EQ(0, combo.FindString(L"/ho", -1));
    ASSERT_EQ(10, combo.GetLBTextLen(1));
    wchar_t text[11] = {};
    EXPECT_EQ(10, combo.GetLBText(1, text));
    EXPECT_STREQ(L"/home/user", text);
}

TEST_F(Controls, ImageListReportsCreationAndAddsBitmaps) {
    ImageListObj failed;
    EXPECT_FALSE(failed.Create(-16, -16, ILC_MASK, 0, 10));
    EXPECT_EQ(nullptr, failed.GetHandle());

    ImageListObj images;
    ASSERT_TRUE(images.Create(16, 16, ILC_MASK, 0, 10));
    HBITMAP folder = app.LoadBitmapResource(IDB_FOLDER);
    HBITMAP file = app.LoadBitmapResource(IDB_FILE);
    EXPECT_EQ(0, images.AddMasked(folder, RGB(255, 0, 255)));
    EXPECT_EQ(1, images.AddMasked(file, RGB(255, 0, 255)));
    EXPECT_EQ(nullptr, list.SetImageList(images.GetHandle(), LVSIL_SMALL));
    EXPECT_EQ(images.GetHandle(), list.SetImageList(images.GetHandle(), LVSIL_SMALL));
    DeleteObject(folder);
    DeleteObject(file);
}
