#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "frame/FrameWnd.h"

using Texts = std::vector<std::wstring>;

// What the user reads off the frame: its title and its menus.
std::wstring Title(FrameWnd& frame);
HMENU Popup(FrameWnd& frame, UINT buttonId);
HMENU FileSubmenu(FrameWnd& frame, int position);
// The item texts of the button's pop-up, or of its submenu at the position, as
// the frame fills them when the pop-up opens.
Texts OpenedMenu(FrameWnd& frame, UINT buttonId, int submenu = -1);
// The item texts with the keys they name, each marked "+" when checked and
// "-" when greyed (so a separator reads "-").
Texts ItemTexts(HMENU menu);
