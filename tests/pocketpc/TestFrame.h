#pragma once

#include "aygshell.h"
#include "support/GuiApp.h"

#include <utility>
#include <vector>

// A plain top-level window standing in for the program's frame, with the menu
// bar built from the program's resources. It records what the shell sends it,
// presses keysForPopup in each pop-up it is shown (by default Escape closes it)
// and answers a tap-and-hold with a pop-up menu, as the views do.
class TestFrame {
  public:
    TestFrame(int x, int y, int width, int height);
    ~TestFrame() { DestroyWindow(hwnd); }

    HWND hwnd = nullptr;
    HWND menuBar = nullptr;
    std::vector<std::pair<HMENU, LPARAM>> popupInits;
    std::vector<WORD> commands;
    std::vector<NMRGINFO> contextMenus;
    std::vector<WPARAM> keysForPopup = {VK_ESCAPE};

  private:
    static LRESULT CALLBACK Record(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR frame);
};

// Handles this thread's messages until done() holds or the wait runs out.
template <typename Condition>
bool PumpUntil(Condition done, DWORD timeoutMs = 3000) {
    for (DWORD start = GetTickCount(); !done(); PumpMessages()) {
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

inline void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}
