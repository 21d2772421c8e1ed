#include "pocketpc/TestFrame.h"

#include "resources/resource.h"

namespace {

const UINT_PTR kCloseMenuTimer = 7;

void ShowContextMenu(HWND owner, POINT at) {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"Delete");
    TrackPopupMenuEx(menu, TPM_LEFTALIGN, at.x, at.y, owner, nullptr);
    DestroyMenu(menu);
}

}  // namespace

TestFrame::TestFrame(int x, int y, int width, int height) {
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"ShellTestFrame";
    RegisterClassW(&windowClass);
    CreateWindowExW(0, windowClass.lpszClassName, L"Test frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                    x, y, width, height, nullptr, nullptr, windowClass.hInstance, this);

    SHMENUBARINFO info = {};
    info.cbSize = sizeof(info);
    info.hwndParent = hwnd;
    info.nToolBarId = IDR_MENUBAR;
    info.hInstRes = windowClass.hInstance;
    if (SHCreateMenuBar(&info)) menuBar = info.hwndMB;
}

LRESULT CALLBACK TestFrame::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* frame =
            static_cast<TestFrame*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        frame->hwnd = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(frame));
    }
    auto* frame = reinterpret_cast<TestFrame*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return frame ? frame->OnMessage(message, wParam, lParam)
                 : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT TestFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITMENUPOPUP:
            popupInits.push_back({reinterpret_cast<HMENU>(wParam), lParam});
            if (popupInits.size() > 1) break;
            for (WPARAM key : keysForPopup) PostMessageW(hwnd, WM_KEYDOWN, key, 0);
            if (keysForPopup.empty()) SetTimer(hwnd, kCloseMenuTimer, 20, nullptr);
            break;
        case WM_TIMER:
            KillTimer(hwnd, wParam);
            EndMenu();
            return 0;
        case WM_COMMAND:
            commands.push_back(LOWORD(wParam));
            return 0;
        case WM_NOTIFY: {
            auto* info = reinterpret_cast<NMRGINFO*>(lParam);
            if (info->hdr.code != GN_CONTEXTMENU) break;
            contextMenus.push_back(*info);
            if (menuOnContext) ShowContextMenu(hwnd, info->ptAction);
            return 0;
        }
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
