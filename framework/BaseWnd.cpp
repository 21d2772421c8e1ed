#include "framework/BaseWnd.h"

#include "framework/BaseDlg.h"
#include "framework/CWinApp.h"

namespace {

HINSTANCE AppInstance() {
    CWinApp* app = GetWinApp();
    return app ? app->GetInstance() : nullptr;
}

}  // namespace

BaseWnd::BaseWnd() : hwnd(nullptr), activateInfo() {}

BaseWnd::~BaseWnd() {}

bool BaseWnd::Create(const wchar_t* className, const wchar_t* windowName, DWORD style, int x, int y,
                     int width, int height, BaseWnd* parent, HMENU menuOrId) {
    return CreateWithParent(0, className, windowName, style, x, y, width, height,
                            parent ? parent->GetHandle() : nullptr, menuOrId);
}

bool BaseWnd::CreateInDialog(const wchar_t* className, const wchar_t* windowName, DWORD style,
                             int x, int y, int width, int height, BaseDlg* parent, HMENU menuOrId) {
    return CreateWithParent(0, className, windowName, style, x, y, width, height,
                            parent ? parent->GetHandle() : nullptr, menuOrId);
}

bool BaseWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName,
                       DWORD style, int x, int y, int width, int height, BaseWnd* parent,
                       HMENU menuOrId) {
    return CreateWithParent(exStyle, className, windowName, style, x, y, width, height,
                            parent ? parent->GetHandle() : nullptr, menuOrId);
}

bool BaseWnd::CreateWithParent(DWORD exStyle, const wchar_t* className, const wchar_t* windowName,
                               DWORD style, int x, int y, int width, int height, HWND parent,
                               HMENU menuOrId) {
    hwnd = CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, parent,
                           menuOrId, AppInstance(), this);
    return hwnd != nullptr;
}

LRESULT BaseWnd::OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            activateInfo = SHACTIVATEINFO();
            activateInfo.cbSize = sizeof(activateInfo);
            SHHandleWMSettingChange(handle, wParam, lParam, &activateInfo);
            break;
        case WM_ACTIVATE:
            SHHandleWMActivate(handle, wParam, lParam, &activateInfo, 0);
            break;
        case WM_SETTINGCHANGE:
            SHHandleWMSettingChange(handle, wParam, lParam, &activateInfo);
            break;
    }
    return DefWindowProcW(handle, message, wParam, lParam);
}

bool BaseWnd::DestroyWnd() {
    if (!DestroyWindow(hwnd)) return false;
    // A system control's destruction never passes our procedure; forget the handle here too.
    hwnd = nullptr;
    return true;
}

bool BaseWnd::GetClientRect(RECT* rect) { return ::GetClientRect(hwnd, rect) != FALSE; }

bool BaseWnd::GetWindowRect(RECT* rect) { return ::GetWindowRect(hwnd, rect) != FALSE; }

bool BaseWnd::Show(int command) { return ShowWindow(hwnd, command) != FALSE; }

bool BaseWnd::Move(int x, int y, int width, int height, bool repaint) {
    return MoveWindow(hwnd, x, y, width, height, repaint) != FALSE;
}

bool BaseWnd::Enable(bool enable) { return EnableWindow(hwnd, enable) != FALSE; }

bool BaseWnd::Update() { return UpdateWindow(hwnd) != FALSE; }

bool BaseWnd::SetText(const wchar_t* text) { return SetWindowTextW(hwnd, text) != FALSE; }

HWND BaseWnd::Focus() { return SetFocus(hwnd); }

LRESULT BaseWnd::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageW(hwnd, message, wParam, lParam);
}

LRESULT BaseWnd::SendTo(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageW(handle, message, wParam, lParam);
}

LRESULT CALLBACK SharedWindowProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    CWinApp* app = GetWinApp();
    if (message == WM_CREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        auto* window = static_cast<BaseWnd*>(create->lpCreateParams);
        if (!app || !window) return -1;
        app->AddWindow(handle, window);
        window->hwnd = handle;
        return window->OnWindowMessage(handle, message, wParam, lParam);
    }
    // Messages before WM_CREATE and after WM_DESTROY have no object.
    BaseWnd* window = app ? app->LookupWindow(handle) : nullptr;
    if (!window) return DefWindowProcW(handle, message, wParam, lParam);
    LRESULT result = window->OnWindowMessage(handle, message, wParam, lParam);
    if (message == WM_DESTROY) {
        app->RemoveWindow(handle);
        window->hwnd = nullptr;
    }
    return result;
}

bool RegisterProgramWindowClass(HINSTANCE instance, const wchar_t* className) {
    WNDCLASSW windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = SharedWindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = className;
    return RegisterClassW(&windowClass) != 0;
}
