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

int ListViewCtl::InsertItem(const LVITEMW* item) {
    return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(item)));
}

int ListViewCtl::InsertItem(int item, const wchar_t* text) {
    LVITEMW row = {};
    row.mask = LVIF_TEXT;
    row.iItem = item;
    row.pszText = const_cast<wchar_t*>(text);
    return InsertItem(&row);
}

int ListViewCtl::InsertItem(int item, const wchar_t* text, int image) {
    LVITEMW row = {};
    row.mask = LVIF_TEXT | LVIF_IMAGE;
    row.iItem = item;
    row.pszText = const_cast<wchar_t*>(text);
    row.iImage = image;
    return InsertItem(&row);
}

HIMAGELIST ListViewCtl::SetImageList(HIMAGELIST imageList, int listType) {
    return reinterpret_cast<HIMAGELIST>(
        Send(LVM_SETIMAGELIST, listType, reinterpret_cast<LPARAM>(imageList)));
}

bool ListViewCtl::SetItemText(int item, int subItem, const wchar_t* text) {
    LVITEMW row = {};
    row.iSubItem = subItem;
    row.pszText = const_cast<wchar_t*>(text);
    return Send(LVM_SETITEMTEXTW, item, reinterpret_cast<LPARAM>(&row)) != FALSE;
}

bool ListViewCtl::SetCallbackMask(UINT mask) { return Send(LVM_SETCALLBACKMASK, mask, 0) != 0; }

bool ListViewCtl::GetSubItemRect(int item, int subItem, int portion, RECT* rect) {
    if (rect) {
        rect->top = subItem;
        rect->left = portion;
    }
    return Send(LVM_GETSUBITEMRECT, item, reinterpret_cast<LPARAM>(rect)) != FALSE;
}

bool ListViewCtl::GetItem(LVITEMW* item) {
    return Send(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(item)) != FALSE;
}

bool ListViewCtl::SetItem(const LVITEMW* item) {
    return Send(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(item)) != FALSE;
}

bool ListViewCtl::SetItemData(int item, LPARAM data) {
    LVITEMW row = {};
    row.mask = LVIF_PARAM;
    row.iItem = item;
    row.lParam = data;
    return SetItem(&row);
}

LPARAM ListViewCtl::GetItemData(int item) {
    LVITEMW row = {};
    row.mask = LVIF_PARAM;
    row.iItem = item;
    GetItem(&row);
    return row.lParam;
}

int ListViewCtl::GetNextItem(int start, UINT flags) {
    return static_cast<int>(Send(LVM_GETNEXTITEM, start, LOWORD(flags)));
}

bool ListViewCtl::DeleteAllItems() { return Send(LVM_DELETEALLITEMS, 0, 0) != FALSE; }

bool ListViewCtl::SetItemCount(int count) { return Send(LVM_SETITEMCOUNT, count, 0) != FALSE; }

void ListViewCtl::SetRedraw(bool redraw) { Send(WM_SETREDRAW, redraw, 0); }

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

bool ListViewCtl::SortItems(PFNLVCOMPARE compare, LPARAM parameter) {
    return Send(LVM_SORTITEMS, parameter, reinterpret_cast<LPARAM>(compare)) != FALSE;
}

int ListViewCtl::FindItem(int start, const LVFINDINFOW* findInfo) {
    return static_cast<int>(Send(LVM_FINDITEMW, start, reinterpret_cast<LPARAM>(findInfo)));
}
