#pragma once

#include <windows.h>

#include "framework/BaseWnd.h"

// The system combo box: one platform message per operation.
class ComboBoxCtl : public BaseWnd {
  public:
    using BaseWnd::Create;
    bool Create(DWORD style, int x, int y, int width, int height, BaseWnd* parent, int id);

    LRESULT AddString(const wchar_t* text);
    LRESULT SetCurSel(int index);
    LRESULT SetItemHeight(int index, int height);
    LRESULT SetDroppedWidth(int width);
    LRESULT FindString(const wchar_t* text, int start);
    LRESULT FindStringExact(const wchar_t* text, int start);
    LRESULT GetLBTextLen(int index);
    // The buffer must hold GetLBTextLen(index) + 1 characters.
    LRESULT GetLBText(int index, wchar_t* buffer);
    LRESULT GetCurSel();
    LRESULT InsertString(int index, const wchar_t* text);
    LRESULT DeleteString(int index);
    LRESULT GetCount();
};
