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

void PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}
