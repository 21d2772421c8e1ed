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

// Reads RCDATA resourceId of module: WORD menu id, WORD button count, then per
// button seven WORDs (image, command, state, style, label string id, reserved,
// pop-up index). Fails when the resource is missing or shorter than its count
// says, so a damaged resource never reads past its end.
bool LoadMenuBarDefinition(HINSTANCE module, UINT resourceId, MenuBarDefinition* definition);
