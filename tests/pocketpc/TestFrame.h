#pragma once

#include "aygshell.h"

#include <vector>

// A plain top-level window standing in for the program's frame, with the menu
// bar built from the program's resources; it records what the shell sends it.
class TestFrame {
  public:
    TestFrame(int x, int y, int width, int height);
    ~TestFrame() { DestroyWindow(hwnd); }

    HWND hwnd = nullptr;
    HWND menuBar = nullptr;
    struct PopupInit {
        HMENU menu;
        LPARAM lParam;
    };
    std::vector<PopupInit> popupInits;
    std::vector<WORD> commands;
    std::vector<NMRGINFO> contextMenus;
    // Keys posted when the first pop-up opens; without keys a timer closes it.
    std::vector<WPARAM> keysForPopup;
    // Answer a tap-and-hold as the views do, with a pop-up menu.
    bool menuOnContext = false;

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
};

// Dispatches this thread's messages until done() holds or the wait runs out.
template <typename Condition>
bool PumpUntil(Condition done, DWORD timeoutMs = 3000) {
    DWORD start = GetTickCount();
    for (DWORD waited = 0; !done(); waited = GetTickCount() - start) {
        if (waited >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - waited, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    return true;
}

inline void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}
