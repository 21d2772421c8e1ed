#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/BaseWnd.h"

// The system list view: one platform message per operation.
class ListViewCtl : public BaseWnd {
  public:
    using BaseWnd::Create;
    bool Create(DWORD style, int x, int y, int width, int height, BaseWnd* parent, int id);

    DWORD GetExtendedStyle();
    DWORD SetExtendedStyle(DWORD style);
    int InsertColumn(int index, const LVCOLUMNW* column);
    // A width of 0 or less leaves the width to the control.
    int InsertColumn(int index, const wchar_t* text, int format, int width, int subItem);
    int InsertItem(const LVITEMW* item);
    int InsertItem(int item, const wchar_t* text);
    int InsertItem(int item, const wchar_t* text, int image);
    HIMAGELIST SetImageList(HIMAGELIST imageList, int listType);
    bool SetItemText(int item, int subItem, const wchar_t* text);
    bool SetCallbackMask(UINT mask);
    bool GetSubItemRect(int item, int subItem, int portion, RECT* rect);
    bool GetItem(LVITEMW* item);
    bool SetItem(const LVITEMW* item);
    bool SetItemData(int item, LPARAM data);
    LPARAM GetItemData(int item);
    // Only the low 16 bits of flags are passed on.
    int GetNextItem(int start, UINT flags);
    bool DeleteAllItems();
    // Room for that many rows, reserved before a long run of insertions.
    bool SetItemCount(int count);
    // While off, the list neither paints nor invalidates row by row.
    void SetRedraw(bool redraw);
    bool SetItemState(int item, UINT state, UINT mask);
    UINT GetItemState(int item, UINT mask);
    int GetItemCount();
    int GetTopIndex();
    // In pixels; a report view scrolls by whole rows.
    bool Scroll(int dx, int dy);
    UINT GetSelectedCount();
    HWND EditLabel(int item);
    bool SortItems(PFNLVCOMPARE compare, LPARAM parameter);
    int FindItem(int start, const LVFINDINFOW* findInfo);
};
