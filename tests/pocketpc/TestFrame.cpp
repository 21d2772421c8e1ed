#include "pocketpc/TestFrame.h"

#include "resources/resource.h"

TestFrame::TestFrame(int x, int y, int width, int height) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    WNDCLASSW windowClass = {0,       DefWindowProcW, 0,       0,       module,
                             nullptr, nullptr,        nullptr, nullptr, L"ShellTestFrame"};
    RegisterClassW(&windowClass);
    hwnd = CreateWindowExW(0, windowClass.lpszClassName, L"Test frame",
                           WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y, width, height, nullptr, nullptr,
                           module, nullptr);
    // Subclassed before the bar subclasses it, so it records what the bar lets through.
    SetWindowSubclass(hwnd, Record, 1, reinterpret_cast<DWORD_PTR>(this));
    SHMENUBARINFO info = {sizeof(info), hwnd, 0, IDR_MENUBAR, module, 0, 0, nullptr, 0};
    if (SHCreateMenuBar(&info)) menuBar = info.hwndMB;
}

LRESULT CALLBACK TestFrame::Record(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
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
        HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, 1, L"Delete");
        TrackPopupMenuEx(menu, TPM_LEFTALIGN, info->ptAction.x, info->ptAction.y, hwnd, nullptr);
        DestroyMenu(menu);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}
