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
    HIMAGELIST SetImageList(HIMAGELIST imageList, int listType);
    bool SetCallbackMask(UINT mask);
    bool GetSubItemRect(int item, int subItem, int portion, RECT* rect);
    // Only the low 16 bits of flags are passed on.
    int GetNextItem(int start, UINT flags);
    bool DeleteAllItems();
    // How many rows an owner-data list shows (the owner supplies their cells).
    bool SetItemCount(int count);
    bool SetItemState(int item, UINT state, UINT mask);
    UINT GetItemState(int item, UINT mask);
    int GetItemCount();
    int GetTopIndex();
    // In pixels; a report view scrolls by whole rows.
    bool Scroll(int dx, int dy);
    UINT GetSelectedCount();
    HWND EditLabel(int item);
    int FindItem(int start, const LVFINDINFOW* findInfo);
};
