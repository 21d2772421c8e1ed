#include "aygshell.h"

#include <commctrl.h>

// The handheld's full-screen dialogs cover the frame, and their Done button in
// the caption accepts the dialog. Here the caption's close box plays Done.

namespace {

const UINT_PTR kDoneSubclassId = 1;
const int kMenuBarHeight = 26;

LRESULT CALLBACK DoneButtonSubclassProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR) {
    switch (message) {
        case WM_CLOSE:
            // The close box accepts rather than cancels; Escape still cancels.
            SendMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(hwnd, IDOK)));
            return 0;
        case DM_GETDEFID:
            return MAKELRESULT(IDOK, DC_HASDEFID);
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void AddDoneButton(HWND dialog) {
    LONG_PTR style = GetWindowLongPtrW(dialog, GWL_STYLE);
    if ((style & WS_CAPTION) == WS_CAPTION && !(style & WS_SYSMENU)) {
        SetWindowLongPtrW(dialog, GWL_STYLE, style | WS_SYSMENU);
        SetWindowPos(dialog, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    SetWindowSubclass(dialog, DoneButtonSubclassProc, kDoneSubclassId, 0);
}

RECT WorkArea() {
    RECT area;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    return area;
}

// The frame's area: the top-level owner's rectangle, or the work area less the
// menu bar when the dialog has no owner.
RECT FrameArea(HWND dialog) {
    HWND owner = GetAncestor(dialog, GA_ROOTOWNER);
    RECT area;
    if (owner != nullptr && owner != dialog && GetWindowRect(owner, &area)) return area;
    area = WorkArea();
    area.bottom -= kMenuBarHeight;
    return area;
}

void Cover(HWND dialog, const RECT& area) {
    SetWindowPos(dialog, nullptr, area.left, area.top, area.right - area.left,
                 area.bottom - area.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

BOOL SHInitDialog(SHINITDLGINFO* info) {
    if (info == nullptr || !IsWindow(info->hDlg)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!(info->dwMask & SHIDIM_FLAGS)) return TRUE;
    DWORD flags = info->dwFlags;
    if (flags & SHIDIF_DONEBUTTON) AddDoneButton(info->hDlg);
    if (flags & SHIDIF_FULLSCREENNOMENUBAR) {
        Cover(info->hDlg, WorkArea());
    } else if (flags & (SHIDIF_SIZEDLG | SHIDIF_SIZEDLGFULLSCREEN)) {
        Cover(info->hDlg, FrameArea(info->hDlg));
    }
    return TRUE;
}
