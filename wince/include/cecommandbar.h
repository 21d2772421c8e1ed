#pragma once

// The handheld's command bar call the program uses to give the menu bar images.
#include <windows.h>

// Adds iNumImages images of bitmap idBitmap to the bar's toolbar; returns the
// index of the first one, or -1.
int CommandBar_AddBitmap(HWND hwndCB, HINSTANCE hInst, int idBitmap, int iNumImages,
                         int iImageWidth, int iImageHeight);
