#include "framework/ListViewCtl.h"

bool ListViewCtl::Create(DWORD style, int x, int y, int width, int height, BaseWnd* parent,
                         int id) {
    return BaseWnd::Create(WC_LISTVIEWW, L"ListView", style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

DWORD ListViewCtl::GetExtendedStyle() {
    return static_cast<DWORD>(Send(LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

DWORD ListViewCtl::SetExtendedStyle(DWORD style) {
    DWORD previous = GetExtendedStyle();
    Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style);
    return previous;
}

int ListViewCtl::InsertColumn(int index, const LVCOLUMNW* column) {
    return static_cast<int>(Send(LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(column)));
}

int ListViewCtl::InsertColumn(int index, const wchar_t* text, int format, int width, int subItem) {
    LVCOLUMNW column = {};
    column.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
    column.fmt = format;
    column.pszText = const_cast<wchar_t*>(text);
    column.iSubItem = subItem;
    if (width > 0) {
        column.mask |= LVCF_WIDTH;
        column.cx = width;
    }
    return InsertColumn(index, &column);
}

HIMAGELIST ListViewCtl::SetImageList(HIMAGELIST imageList, int listType) {
    return reinterpret_cast<HIMAGELIST>(
        Send(LVM_SETIMAGELIST, listType, reinterpret_cast<LPARAM>(imageList)));
}

bool ListViewCtl::SetCallbackMask(UINT mask) { return Send(LVM_SETCALLBACKMASK, mask, 0) != 0; }

bool ListViewCtl::GetSubItemRect(int item, int subItem, int portion, RECT* rect) {
    if (rect) {
        rect->top = subItem;
        rect->left = portion;
    }
    return Send(LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(rect)) != FALSE;
}

int ListViewCtl::GetNextItem(int start, UINT flags) {
    return static_cast<int>(Send(LVM_GETNEXTITEM, start, LOWORD(flags)));
}

bool ListViewCtl::DeleteAllItems() { return Send(LVM_DELETEALLITEMS, 0, 0) != FALSE; }

bool ListViewCtl::SetItemCount(int count) { return Send(LVM_SETITEMCOUNT, count, 0) != FALSE; }

bool ListViewCtl::SetItemState(int item, UINT state, UINT mask) {
    LVITEMW row = {};
    row.state = state;
    row.stateMask = mask;
    return Send(LVM_SETITEMSTATE, item, reinterpret_cast<LPARAM>(&row)) != FALSE;
}

UINT ListViewCtl::GetItemState(int item, UINT mask) {
    return static_cast<UINT>(Send(LVM_GETITEMSTATE, item, mask));
}

int ListViewCtl::GetItemCount() { return static_cast<int>(Send(LVM_GETITEMCOUNT, 0, 0)); }

int ListViewCtl::GetTopIndex() { return static_cast<int>(Send(LVM_GETTOPINDEX, 0, 0)); }

bool ListViewCtl::Scroll(int dx, int dy) { return Send(LVM_SCROLL, dx, dy) != 0; }

UINT ListViewCtl::GetSelectedCount() { return static_cast<UINT>(Send(LVM_GETSELECTEDCOUNT, 0, 0)); }

HWND ListViewCtl::EditLabel(int item) {
    return reinterpret_cast<HWND>(Send(LVM_EDITLABELW, item, 0));
}

int ListViewCtl::FindItem(int start, const LVFINDINFOW* findInfo) {
    return static_cast<int>(Send(LVM_FINDITEMW, start, reinterpret_cast<LPARAM>(findInfo)));
}
