#include "DialogControls.h"

#include <commctrl.h>

namespace {

struct Search {
    int id;
    HWND found;
};

BOOL CALLBACK MatchId(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (GetDlgCtrlID(window) != search->id) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindControl(HWND top, int id) {
    Search search = {id, nullptr};
    EnumChildWindows(top, MatchId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void Click(HWND top, int id) { SendMessageW(FindControl(top, id), BM_CLICK, 0, 0); }

bool IsChecked(HWND top, int id) {
    return SendMessageW(FindControl(top, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::wstring TextOf(HWND top, int id) {
    wchar_t text[512] = L"";
    GetWindowTextW(FindControl(top, id), text, 512);
    return text;
}

void ClickTab(HWND tabs, int index) {
    RECT tab = {};
    SendMessageW(tabs, TCM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&tab));
    LPARAM middle = MAKELPARAM((tab.left + tab.right) / 2, (tab.top + tab.bottom) / 2);
    SendMessageW(tabs, WM_LBUTTONDOWN, MK_LBUTTON, middle);
    SendMessageW(tabs, WM_LBUTTONUP, 0, middle);
}
