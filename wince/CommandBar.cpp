#include "cecommandbar.h"

#include <commctrl.h>

int CommandBar_AddBitmap(HWND hwndCB, HINSTANCE hInst, int idBitmap, int iNumImages, int, int) {
    TBADDBITMAP bitmap = {hInst, static_cast<UINT_PTR>(idBitmap)};
    return static_cast<int>(
        SendMessageW(hwndCB, TB_ADDBITMAP, iNumImages, reinterpret_cast<LPARAM>(&bitmap)));
}
