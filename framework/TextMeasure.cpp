#include "framework/TextMeasure.h"

SIZE MeasureText(HWND control, const std::wstring& text, UINT format, int maxWidth) {
    if (text.empty()) return SIZE{0, 0};
    HDC context = GetDC(control);
    HGDIOBJ oldFont =
        SelectObject(context, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT bounds = {0, 0, maxWidth, 0};
    DrawTextW(context, text.c_str(), static_cast<int>(text.size()), &bounds,
              format | DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(context, oldFont);
    ReleaseDC(control, context);
    return SIZE{bounds.right - bounds.left, bounds.bottom - bounds.top};
}
