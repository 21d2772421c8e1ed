#include "support/DialogAnswerer.h"

#include <chrono>

namespace {

const int kMessageTextId = 0xFFFF;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    wchar_t className[16];
    if (IsWindowVisible(window) && GetClassNameW(window, className, 16) &&
        wcscmp(className, L"#32770") == 0) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = L"";
    GetWindowTextW(window, text, 1024);
    return text;
}

}  // namespace

DialogAnswerer::DialogAnswerer(int button)
    : button(button), threadId(GetCurrentThreadId()), stop(false), count(0) {
    watcher = std::thread(&DialogAnswerer::Watch, this);
}

DialogAnswerer::~DialogAnswerer() {
    stop = true;
    watcher.join();
}

std::wstring DialogAnswerer::LastText() {
    std::lock_guard<std::mutex> hold(lock);
    return lastText;
}

std::wstring DialogAnswerer::LastCaption() {
    std::lock_guard<std::mutex> hold(lock);
    return lastCaption;
}

void DialogAnswerer::Watch() {
    HWND answered = nullptr;
    while (!stop) {
        HWND dialog = nullptr;
        EnumThreadWindows(threadId, FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (dialog && dialog != answered) {
            Answer(dialog);
            answered = dialog;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

void DialogAnswerer::Answer(HWND dialog) {
    {
        std::lock_guard<std::mutex> hold(lock);
        lastText = TextOf(GetDlgItem(dialog, kMessageTextId));
        lastCaption = TextOf(dialog);
    }
    ++count;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
}
