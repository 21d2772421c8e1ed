#pragma once

#include "aygshell.h"
#include "cecommandbar.h"
#include "resources/resource.h"
#include "support/GuiApp.h"

#include <utility>
#include <vector>

// A plain top-level window standing in for the program's frame, with the menu
// bar built from the program's resources and the Up button added as the frame
// adds it. It records what the shell sends it, presses keysForPopup in each
// pop-up it is shown (by default Escape closes it) and answers a tap-and-hold
// with a pop-up menu (its window menu), as the views answer it with theirs.
class TestFrame {
  public:
    TestFrame(int x, int y, int width, int height) {
        HINSTANCE module = GetModuleHandleW(nullptr);
        hwnd = CreateWindowExW(0, L"STATIC", L"Test frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y,
                               width, height, nullptr, nullptr, module, nullptr);
        // Subclassed before the bar subclasses it, so it records what the bar lets through.
        SetWindowSubclass(hwnd, Record, 1, reinterpret_cast<DWORD_PTR>(this));
        SHMENUBARINFO info = {sizeof(info), hwnd, 0, IDR_MENUBAR, module, 0, 0, nullptr, 0};
        if (!SHCreateMenuBar(&info)) return;
        menuBar = info.hwndMB;
        int image = CommandBar_AddBitmap(menuBar, module, IDB_UP, 1, 16, 16);
        TBBUTTON up = {image, IDM_UP, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0};
        SendMessageW(menuBar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&up));
    }
    ~TestFrame() { DestroyWindow(hwnd); }

    HWND hwnd = nullptr;
    HWND menuBar = nullptr;
    std::vector<std::pair<HMENU, LPARAM>> popupInits;
    std::vector<WORD> commands;
    std::vector<NMRGINFO> contextMenus;
    std::vector<WPARAM> keysForPopup = {VK_ESCAPE};

  private:
    static LRESULT CALLBACK Record(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR data) {
        auto* frame = reinterpret_cast<TestFrame*>(data);
        auto* info = reinterpret_cast<NMRGINFO*>(lParam);
        if (message == WM_INITMENUPOPUP) {
            frame->popupInits.push_back({reinterpret_cast<HMENU>(wParam), lParam});
            for (WPARAM key : frame->keysForPopup) PostMessageW(hwnd, WM_KEYDOWN, key, 0);
        } else if (message == WM_COMMAND) {
            frame->commands.push_back(LOWORD(wParam));
        } else if (message == WM_NOTIFY && info->hdr.code == GN_CONTEXTMENU) {
            frame->contextMenus.push_back(*info);
            TrackPopupMenuEx(GetSystemMenu(hwnd, FALSE), TPM_LEFTALIGN, info->ptAction.x,
                             info->ptAction.y, hwnd, nullptr);
        }
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
};
