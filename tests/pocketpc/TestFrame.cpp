#include "pocketpc/TestFrame.h"

#include "aygshell.h"

namespace {

const wchar_t kClassName[] = L"ShellTestFrame";
const UINT_PTR kCloseMenuTimer = 7;

void RegisterTestFrameClass(WNDPROC procedure) {
    WNDCLASSW windowClass = {};
    HINSTANCE module = GetModuleHandleW(nullptr);
    if (GetClassInfoW(module, kClassName, &windowClass)) return;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = module;
    windowClass.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);
}

}  // namespace

TestFrame::TestFrame(int x, int y, int width, int height) {
    RegisterTestFrameClass(WindowProc);
    hwnd = CreateWindowExW(0, kClassName, L"Test frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, y,
                           width, height, nullptr, nullptr, GetModuleHandleW(nullptr), this);
}

TestFrame::~TestFrame() {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
}

LRESULT CALLBACK TestFrame::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        static_cast<TestFrame*>(create->lpCreateParams)->hwnd = hwnd;
    }
    auto* frame = reinterpret_cast<TestFrame*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    return frame ? frame->OnMessage(message, wParam, lParam)
                 : DefWindowProcW(hwnd, message, wParam, lParam);
}

void TestFrame::ShowContextMenu(POINT at) {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"Delete");
    TrackPopupMenuEx(menu, TPM_LEFTALIGN, at.x, at.y, hwnd, nullptr);
    DestroyMenu(menu);
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
            if (wParam == kCloseMenuTimer) {
                KillTimer(hwnd, kCloseMenuTimer);
                EndMenu();
                return 0;
            }
            break;
        case WM_COMMAND:
            commands.push_back(LOWORD(wParam));
            return 0;
        case WM_NOTIFY:
            if (reinterpret_cast<NMHDR*>(lParam)->code == GN_CONTEXTMENU) {
                contextMenus.push_back(*reinterpret_cast<NMRGINFO*>(lParam));
                if (menuOnContext) ShowContextMenu(contextMenus.back().ptAction);
                return 0;
            }
            break;
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}
