#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/BaseWnd.h"

// The system tab control: one platform message per operation.
class TabCtl : public BaseWnd {
  public:
    using BaseWnd::Create;
    bool Create(DWORD style, int x, int y, int width, int height, BaseWnd* parent, int id);

    int InsertItem(int index, const TCITEMW* item);
    bool GetItemRect(int index, RECT* rect);
    bool SetImageList(HIMAGELIST imageList);
    int GetCurSel();
    int SetCurSel(int index);
};
