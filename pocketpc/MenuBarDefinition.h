#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One button of the menu bar as the bar's RCDATA resource describes it.
struct MenuBarButton {
    int image;  // I_IMAGENONE for a text-only button
    int commandId;
    BYTE state;
    BYTE style;
    std::wstring label;
    int popupIndex;  // position of its pop-up in the bar's menu, or -1
};

struct MenuBarDefinition {
    UINT menuId = 0;
    std::vector<MenuBarButton> buttons;
};

// Reads a definition of wordCount WORDs: menu id, button count, then per button
// seven WORDs (image, command, state, style, label string id, reserved, pop-up
// index); labels are strings of module. Fails when the words are fewer than the
// count needs, so a damaged resource never reads past its end.
bool ParseMenuBarDefinition(const WORD* words, size_t wordCount, HINSTANCE module,
                            MenuBarDefinition* definition);

// Reads RCDATA resourceId of module as above; fails when it is missing or damaged.
bool LoadMenuBarDefinition(HINSTANCE module, UINT resourceId, MenuBarDefinition* definition);
