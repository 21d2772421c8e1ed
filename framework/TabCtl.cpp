#include "framework/TabCtl.h"

// The control holds the pages of a tab strip, so dialog keyboard navigation
// has to walk into it.
bool TabCtl::Create(DWORD style, int x, int y, int width, int height, BaseWnd* parent, int id) {
    return BaseWnd::CreateEx(WS_EX_CONTROLPARENT, WC_TABCONTROLW, nullptr, style, x, y, width,
                             height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

int TabCtl::InsertItem(int index, const TCITEMW* item) {
    return static_cast<int>(Send(TCM_INSERTITEMW, index, reinterpret_cast<LPARAM>(item)));
}

bool TabCtl::GetItemRect(int index, RECT* rect) {
    return Send(TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(rect)) != 0;
}

bool TabCtl::SetImageList(HIMAGELIST imageList) {
    return Send(TCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(imageList)) != 0;
}

int TabCtl::GetCurSel() { return static_cast<int>(Send(TCM_GETCURSEL, 0, 0)); }

int TabCtl::SetCurSel(int index) { return static_cast<int>(Send(TCM_SETCURSEL, index, 0)); }
