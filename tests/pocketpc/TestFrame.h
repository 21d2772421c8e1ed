#pragma once

#include "aygshell.h"

#include <vector>

// A plain top-level window standing in for the program's frame: it records what
// the shell layer sends it.
class TestFrame {
  public:
    struct PopupInit {
        HMENU menu;
        LPARAM lParam;
    };

    TestFrame(int x, int y, int width, int height);
    ~TestFrame();

    HWND Handle() const { return hwnd; }

    std::vector<PopupInit> popupInits;
    std::vector<WORD> commands;
    std::vector<NMRGINFO> contextMenus;
    // Keys posted while the first pop-up opens, to walk and choose in it; none closes it.
    std::vector<WPARAM> keysForPopup;
    // Answer a tap-and-hold as the views do, with a pop-up menu (closed again by a timer).
    bool menuOnContext = false;

  private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ShowContextMenu(POINT at);

    HWND hwnd = nullptr;
};
