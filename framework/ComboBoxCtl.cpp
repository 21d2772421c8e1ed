#include "framework/ComboBoxCtl.h"

namespace {

LPARAM TextParam(const wchar_t* text) { return reinterpret_cast<LPARAM>(text); }

}  // namespace

bool ComboBoxCtl::Create(DWORD style, int x, int y, int width, int height, BaseWnd* parent,
                         int id) {
    return BaseWnd::Create(L"COMBOBOX", nullptr, style, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

LRESULT ComboBoxCtl::AddString(const wchar_t* text) {
    return Send(CB_ADDSTRING, 0, TextParam(text));
}

LRESULT ComboBoxCtl::SetCurSel(int index) { return Send(CB_SETCURSEL, index, 0); }

LRESULT ComboBoxCtl::SetItemHeight(int index, int height) {
    return Send(CB_SETITEMHEIGHT, index, height);
}

LRESULT ComboBoxCtl::SetDroppedWidth(int width) { return Send(CB_SETDROPPEDWIDTH, width, 0); }

LRESULT ComboBoxCtl::FindString(const wchar_t* text, int start) {
    return Send(CB_FINDSTRING, start, TextParam(text));
}

LRESULT ComboBoxCtl::FindStringExact(const wchar_t* text, int start) {
    return Send(CB_FINDSTRINGEXACT, start, TextParam(text));
}

LRESULT ComboBoxCtl::GetLBTextLen(int index) { return Send(CB_GETLBTEXTLEN, index, 0); }

LRESULT ComboBoxCtl::GetLBText(int index, wchar_t* buffer) {
    return Send(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buffer));
}

LRESULT ComboBoxCtl::GetCurSel() { return Send(CB_GETCURSEL, 0, 0); }

LRESULT ComboBoxCtl::InsertString(int index, const wchar_t* text) {
    return Send(CB_INSERTSTRING, index, TextParam(text));
}

LRESULT ComboBoxCtl::DeleteString(int index) { return Send(CB_DELETESTRING, index, 0); }

LRESULT ComboBoxCtl::GetCount() { return Send(CB_GETCOUNT, 0, 0); }
