#include "support/DialogAnswerer.h"

static thread_local DialogAnswerer* activeAnswerer = nullptr;

DialogAnswerer::DialogAnswerer(int button)
    : button(button),
      hook(SetWindowsHookExW(WH_CBT, OnWindowEvent, nullptr, GetCurrentThreadId())) {
    activeAnswerer = this;
}

DialogAnswerer::~DialogAnswerer() {
    UnhookWindowsHookEx(hook);
    activeAnswerer = nullptr;
}

// A message box is answered once it is up and running its own message loop.
LRESULT CALLBACK DialogAnswerer::OnWindowEvent(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = L"";
    if (code == HCBT_ACTIVATE && activeAnswerer && GetClassNameW(window, className, 16) &&
        wcscmp(className, L"#32770") == 0) {
        wchar_t text[512] = L"";
        GetDlgItemTextW(window, 0xFFFF, text, 512);  // the message text's control id
        activeAnswerer->lastText = text;
        ++activeAnswerer->count;
        PostMessageW(window, WM_COMMAND, MAKEWPARAM(activeAnswerer->button, BN_CLICKED), 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
