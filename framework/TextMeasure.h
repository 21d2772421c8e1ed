#pragma once

#include <windows.h>

#include <string>

// The size the control's font gives the text: one line as it stands, or with
// DT_WORDBREAK its lines, broken again where they pass maxWidth. Dialogs lay
// out their texts by it instead of trusting their templates' fixed sizes.
SIZE MeasureText(HWND control, const std::wstring& text, UINT format, int maxWidth);
