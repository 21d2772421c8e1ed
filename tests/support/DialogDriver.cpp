#include "support/DialogDriver.h"

namespace {

thread_local DialogDriver* activeDriver = nullptr;
const wchar_t kSeenMark[] = L"DialogDriver.seen";
const UINT kPollMs = 20;

}  // namespace

DialogDriver::DialogDriver() : timer(SetTimer(nullptr, 0, kPollMs, OnTimer)) {
    activeDriver = this;
}

DialogDriver::~DialogDriver() {
    KillTimer(nullptr, timer);
    activeDriver = nullptr;
}

void CALLBACK DialogDriver::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (activeDriver)
        EnumThreadWindows(GetCurrentThreadId(), OnWindow, reinterpret_cast<LPARAM>(activeDriver));
}

BOOL CALLBACK DialogDriver::OnWindow(HWND window, LPARAM driver) {
    wchar_t className[16] = L"";
    if (IsWindowVisible(window) && GetClassNameW(window, className, 16) &&
        wcscmp(className, L"#32770") == 0 && !GetPropW(window, kSeenMark))
        reinterpret_cast<DialogDriver*>(driver)->Handle(window);
    return TRUE;
}

// Marked first: an action that opens a message box lets the timer in again.
void DialogDriver::Handle(HWND window) {
    SetPropW(window, kSeenMark, reinterpret_cast<HANDLE>(1));
    wchar_t title[256] = L"";
    GetWindowTextW(window, title, 256);
    seen.push_back(std::wstring(title) + L": " + ItemText(window, 0xFFFF));
    auto action = actions.find(title);
    if (action != actions.end() && action->second) action->second(window);
}

void Click(HWND dialog, int id) { SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[512] = L"";
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

bool IsItemEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)); }

bool IsItemChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }
