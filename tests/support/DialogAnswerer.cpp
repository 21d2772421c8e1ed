#include "support/DialogAnswerer.h"

#include <chrono>

static BOOL CALLBACK FindMessageBox(HWND window, LPARAM found) {
    wchar_t className[16];
    if (!IsWindowVisible(window) || !GetClassNameW(window, className, 16) ||
        wcscmp(className, L"#32770") != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

DialogAnswerer::DialogAnswerer(int button)
    : button(button), threadId(GetCurrentThreadId()), watcher(&DialogAnswerer::Watch, this) {}

DialogAnswerer::~DialogAnswerer() {
    stop = true;
    watcher.join();
}

std::wstring DialogAnswerer::LastText() {
    std::lock_guard<std::mutex> hold(lock);
    return lastText;
}

void DialogAnswerer::Watch() {
    HWND answered = nullptr;
    while (!stop) {
        HWND box = nullptr;
        EnumThreadWindows(threadId, FindMessageBox, reinterpret_cast<LPARAM>(&box));
        if (box && box != answered) {
            wchar_t text[512] = L"";
            GetDlgItemTextW(box, 0xFFFF, text, 512);  // the message text's control id
            {
                std::lock_guard<std::mutex> hold(lock);
                lastText = text;
            }
            ++count;
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
            answered = box;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}
