#include "aygshell.h"
#include "cecommandbar.h"
#include "pocketpc/MenuBarDefinition.h"
#include "pocketpc/TapAndHold.h"

#include <commctrl.h>

// The handheld's menu bar is a window of its own below the frame, so here it is
// a strip owned by the frame that follows it, holding one toolbar. The program
// talks to the toolbar's handle directly; the frame receives the menus'
// messages as if the pop-ups were its own.

namespace {

const wchar_t kBarClass[] = L"CorvaneMenuBar";
const int kBarHeight = 26;
const UINT_PTR kSubclassId = 1;
const wchar_t kBarProperty[] = L"CorvaneMenuBar";

struct MenuBar {
    HWND frame = nullptr;
    HWND bar = nullptr;
    HWND toolbar = nullptr;
    HMENU menu = nullptr;
    MenuBarDefinition definition;
    // The top pop-up being shown and its button, so the frame learns which button opened it.
    HMENU openPopup = nullptr;
    int openButtonId = 0;
};

MenuBar* BarOf(HWND bar) {
    return reinterpret_cast<MenuBar*>(GetWindowLongPtrW(bar, GWLP_USERDATA));
}

HMENU PopupOf(const MenuBar* menuBar, int commandId) {
    for (const MenuBarButton& button : menuBar->definition.buttons) {
        if (button.commandId == commandId && button.popupIndex >= 0) {
            return GetSubMenu(menuBar->menu, button.popupIndex);
        }
    }
    return nullptr;
}

void FollowFrame(const MenuBar* menuBar) {
    RECT frame;
    GetWindowRect(menuBar->frame, &frame);
    bool shown = IsWindowVisible(menuBar->frame) && !IsIconic(menuBar->frame);
    SetWindowPos(menuBar->bar, nullptr, frame.left, frame.bottom, frame.right - frame.left,
                 kBarHeight,
                 SWP_NOZORDER | SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void OpenPopup(MenuBar* menuBar, int commandId) {
    HMENU popup = PopupOf(menuBar, commandId);
    if (popup == nullptr) return;
    RECT button;
    if (!SendMessageW(menuBar->toolbar, TB_GETRECT, commandId, reinterpret_cast<LPARAM>(&button))) {
        return;
    }
    MapWindowPoints(menuBar->toolbar, nullptr, reinterpret_cast<POINT*>(&button), 2);
    TPMPARAMS avoid = {sizeof(avoid), button};

    menuBar->openPopup = popup;
    menuBar->openButtonId = commandId;
    SendMessageW(menuBar->toolbar, TB_PRESSBUTTON, commandId, TRUE);
    // A pop-up only closes on a tap elsewhere when its owner is in front.
    SetForegroundWindow(menuBar->frame);
    // Owned by the frame, so its WM_INITMENUPOPUP and WM_COMMAND go there.
    TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_BOTTOMALIGN | TPM_VERTICAL | TPM_LEFTBUTTON,
                     button.left, button.top, menuBar->frame, &avoid);
    SendMessageW(menuBar->toolbar, TB_PRESSBUTTON, commandId, FALSE);
    menuBar->openPopup = nullptr;
}

LRESULT CALLBACK FrameSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR data) {
    MenuBar* menuBar = reinterpret_cast<MenuBar*>(data);
    switch (message) {
        case WM_INITMENUPOPUP:
            if (reinterpret_cast<HMENU>(wParam) == menuBar->openPopup) {
                lParam = MAKELPARAM(menuBar->openButtonId, HIWORD(lParam));
            }
            break;
        case WM_SYSCOMMAND:
            // Alt or F10 alone opens the first menu, as a window menu would.
            if ((wParam & 0xFFF0) == SC_KEYMENU && lParam == 0 &&
                !menuBar->definition.buttons.empty()) {
                OpenPopup(menuBar, menuBar->definition.buttons[0].commandId);
                return 0;
            }
            break;
        case WM_WINDOWPOSCHANGED: {
            LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
            FollowFrame(menuBar);
            return result;
        }
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK ToolbarSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR, DWORD_PTR data) {
    if (message == SHCMBM_GETSUBMENU) {
        return reinterpret_cast<LRESULT>(PopupOf(reinterpret_cast<MenuBar*>(data), lParam));
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT OnBarNotify(MenuBar* menuBar, const NMHDR* header) {
    if (header->hwndFrom == menuBar->toolbar && header->code == TBN_DROPDOWN) {
        OpenPopup(menuBar, reinterpret_cast<const NMTOOLBARW*>(header)->iItem);
        return TBDDRET_DEFAULT;
    }
    return 0;
}

void DestroyMenuBar(MenuBar* menuBar) {
    RemoveWindowSubclass(menuBar->frame, FrameSubclassProc, kSubclassId);
    if (GetPropW(menuBar->frame, kBarProperty) == menuBar->bar)
        RemovePropW(menuBar->frame, kBarProperty);
    if (menuBar->menu != nullptr) DestroyMenu(menuBar->menu);
    delete menuBar;
}

LRESULT CALLBACK BarWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MenuBar* menuBar = BarOf(hwnd);
    switch (message) {
        case WM_NCCREATE:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(
                                  reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
            break;
        case WM_MOUSEACTIVATE:
            // Tapping the bar must leave the frame active, as on the handheld.
            return MA_NOACTIVATE;
        case WM_SIZE:
            if (menuBar && menuBar->toolbar) {
                MoveWindow(menuBar->toolbar, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
            }
            return 0;
        case WM_NOTIFY:
            return OnBarNotify(menuBar, reinterpret_cast<NMHDR*>(lParam));
        case WM_COMMAND:
            // Plain tool buttons (Up) report to the frame.
            return SendMessageW(menuBar->frame, WM_COMMAND, wParam, lParam);
        case WM_NCDESTROY:
            // Only a bar whose creation completed owns its state; when creation
            // fails, the caller still holds it and frees it once.
            if (menuBar && menuBar->bar == hwnd) DestroyMenuBar(menuBar);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool RegisterBarClass(HINSTANCE module) {
    WNDCLASSW windowClass = {};
    if (GetClassInfoW(module, kBarClass, &windowClass)) return true;
    windowClass.lpfnWndProc = BarWindowProc;
    windowClass.hInstance = module;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = kBarClass;
    return RegisterClassW(&windowClass) != 0;
}

TBBUTTON ToToolButton(const MenuBarButton& button) {
    TBBUTTON toolButton = {};
    toolButton.iBitmap = button.image;
    toolButton.idCommand = button.commandId;
    toolButton.fsState = button.state;
    toolButton.fsStyle = button.style;
    // A pointer, not a string-pool index, so a later button without text stays without.
    toolButton.iString = reinterpret_cast<INT_PTR>(button.label.c_str());
    return toolButton;
}

bool CreateToolbar(MenuBar* menuBar, HINSTANCE module) {
    RECT client;
    GetClientRect(menuBar->bar, &client);
    menuBar->toolbar =
        CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                        WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | CCS_NODIVIDER |
                            CCS_NORESIZE | CCS_NOPARENTALIGN,
                        0, 0, client.right, client.bottom, menuBar->bar, nullptr, module, nullptr);
    if (menuBar->toolbar == nullptr) return false;
    SendMessageW(menuBar->toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(menuBar->toolbar, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 16));
    for (const MenuBarButton& button : menuBar->definition.buttons) {
        TBBUTTON toolButton = ToToolButton(button);
        SendMessageW(menuBar->toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&toolButton));
    }
    return SetWindowSubclass(menuBar->toolbar, ToolbarSubclassProc, kSubclassId,
                             reinterpret_cast<DWORD_PTR>(menuBar));
}

bool LoadBarResources(MenuBar* menuBar, const SHMENUBARINFO* info) {
    if (!LoadMenuBarDefinition(info->hInstRes, info->nToolBarId, &menuBar->definition)) {
        return false;
    }
    menuBar->menu = LoadMenuW(info->hInstRes, MAKEINTRESOURCEW(menuBar->definition.menuId));
    return menuBar->menu != nullptr;
}

// A second bar on the same frame replaces the first.
void DestroyPreviousBar(HWND frame) {
    HWND previous = static_cast<HWND>(GetPropW(frame, kBarProperty));
    if (previous != nullptr) DestroyWindow(previous);
}

HWND CreateBarWindow(MenuBar* menuBar, HINSTANCE module) {
    RECT frame;
    GetWindowRect(menuBar->frame, &frame);
    return CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kBarClass, nullptr,
                           WS_POPUP | WS_CLIPCHILDREN, frame.left, frame.bottom,
                           frame.right - frame.left, kBarHeight, menuBar->frame, nullptr, module,
                           menuBar);
}

bool BuildMenuBar(MenuBar* menuBar, const SHMENUBARINFO* info) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    if (!RegisterBarClass(module)) return false;
    menuBar->bar = CreateBarWindow(menuBar, module);
    if (menuBar->bar == nullptr) return false;
    if (!CreateToolbar(menuBar, module)) return false;
    if (info->nBmpId != 0 && info->cBmpImages > 0) {
        CommandBar_AddBitmap(menuBar->toolbar, info->hInstRes, info->nBmpId, info->cBmpImages, 16,
                             16);
    }
    if (!SetWindowSubclass(menuBar->frame, FrameSubclassProc, kSubclassId,
                           reinterpret_cast<DWORD_PTR>(menuBar)) ||
        !SetPropW(menuBar->frame, kBarProperty, menuBar->bar)) {
        return false;
    }
    FollowFrame(menuBar);
    return true;
}

}  // namespace

BOOL SHCreateMenuBar(SHMENUBARINFO* info) {
    if (info == nullptr || !IsWindow(info->hwndParent)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    info->hwndMB = nullptr;
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    InstallTapAndHold();
    DestroyPreviousBar(info->hwndParent);

    MenuBar* menuBar = new MenuBar;
    menuBar->frame = info->hwndParent;
    if (!LoadBarResources(menuBar, info)) {
        delete menuBar;
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return FALSE;
    }
    if (!BuildMenuBar(menuBar, info)) {
        DWORD error = GetLastError();
        // The bar window owns menuBar once it exists; its destruction frees it.
        if (menuBar->bar != nullptr) {
            DestroyWindow(menuBar->bar);
        } else {
            DestroyMenuBar(menuBar);
        }
        SetLastError(error);
        return FALSE;
    }
    info->hwndMB = menuBar->toolbar;
    return TRUE;
}
