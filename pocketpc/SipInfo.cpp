#include "aygshell.h"

// The input panel is always down here; the work area is what the handheld calls
// the visible desktop.
BOOL SHSipInfo(UINT uiAction, UINT, PVOID pvParam, UINT) {
    if (uiAction != SPI_GETSIPINFO || pvParam == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SIPINFO* info = static_cast<SIPINFO*>(pvParam);
    RECT workArea;
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &workArea, 0)) return FALSE;
    info->fdwFlags = 0;
    info->rcVisibleDesktop = workArea;
    SetRectEmpty(&info->rcSipRect);
    info->dwImDataSize = 0;
    return TRUE;
}
