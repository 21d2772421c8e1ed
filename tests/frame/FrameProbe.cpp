#include "FrameProbe.h"

#include <aygshell.h>

#include "resources/resource.h"

std::wstring Title(FrameWnd& frame) {
    wchar_t text[512] = L"";
    GetWindowTextW(frame.GetHandle(), text, 512);
    return text;
}

HMENU Popup(FrameWnd& frame, UINT buttonId) {
    return reinterpret_cast<HMENU>(
        frame.SendTo(frame.GetMenuBar(), SHCMBM_GETSUBMENU, 0, buttonId));
}

HMENU FileSubmenu(FrameWnd& frame, int position) {
    return GetSubMenu(Popup(frame, IDM_FILE), position);
}

Texts OpenedMenu(FrameWnd& frame, UINT buttonId, int submenu) {
    HMENU popup = Popup(frame, buttonId);
    frame.PrepareMenuPopup(popup, buttonId, 0);
    return ItemTexts(submenu < 0 ? popup : GetSubMenu(popup, submenu));
}

Texts ItemTexts(HMENU menu) {
    Texts texts;
    for (int position = 0; position < GetMenuItemCount(menu); ++position) {
        wchar_t text[256] = L"";
        GetMenuStringW(menu, position, text, 256, MF_BYPOSITION);
        UINT state = GetMenuState(menu, position, MF_BYPOSITION);
        const wchar_t* mark = state & MF_CHECKED                   ? L"+"
                              : state & (MF_GRAYED | MF_SEPARATOR) ? L"-"
                                                                   : L"";
        texts.push_back(mark + std::wstring(text));
    }
    return texts;
}
