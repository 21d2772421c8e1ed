#pragma once

#include <windows.h>

#include <string>

// A control anywhere below the window (pages sit inside other windows), by id.
HWND FindControl(HWND top, int id);
// Presses a button as a click would: check boxes and radio buttons change and notify.
void Click(HWND top, int id);
bool IsChecked(HWND top, int id);
std::wstring TextOf(HWND top, int id);
// Clicks the middle of a tab of a tab control.
void ClickTab(HWND tabs, int index);
