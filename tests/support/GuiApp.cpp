#include "support/GuiApp.h"

#include <commctrl.h>

#include "browsers/BrowseWnd.h"
#include "dialogs/SmartTab.h"

GuiApp::GuiApp() {
    SetInstance(GetModuleHandleW(nullptr));
    BrowseWnd::RegisterWindowClass(instance);
    FrameWnd::RegisterWindowClass(instance);
    SmartTab::RegisterWindowClass(instance);
    InitCommonControls();
}

StartedApp::StartedApp() { SetInstance(GetModuleHandleW(nullptr)); }

StartedApp::~StartedApp() {
    frame.DestroyWnd();
    PumpMessages();
}

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    for (DWORD start = GetTickCount(); !done(); PumpMessages()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    PumpMessages();  // what the last step queued
    return true;
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

bool WaitUntilIdle(BrowseWnd& view, DWORD timeoutMs) {
    return PumpUntil([&] { return view.IsIdle(); }, timeoutMs);
}
