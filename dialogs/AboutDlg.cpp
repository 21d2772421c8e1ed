#include "dialogs/AboutDlg.h"

#include <aygshell.h>

AboutDlg::AboutDlg() { initFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN; }

BOOL AboutDlg::OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    // The shell's Done button sends IDOK as well.
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        EndWithResult(1);
        return TRUE;
    }
    return BaseDlg::OnDialogMessage(handle, message, wParam, lParam);
}
