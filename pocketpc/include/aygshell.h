#pragma once

// The handheld shell's services the program calls, declared with the handheld's
// names and values and backed by our own implementation on desktop Windows.
#include <windows.h>
#include <commctrl.h>

// Menu bar.
struct SHMENUBARINFO {
    DWORD cbSize;
    HWND hwndParent;
    DWORD dwFlags;
    UINT nToolBarId;
    HINSTANCE hInstRes;
    int nBmpId;
    int cBmpImages;
    HWND hwndMB;
    COLORREF clrBk;
};
typedef SHMENUBARINFO* PSHMENUBARINFO;

#ifndef SHCMBM_GETSUBMENU
// wParam 0, lParam the button's command id; returns the button's pop-up menu.
#define SHCMBM_GETSUBMENU (WM_USER + 401)
#endif

BOOL SHCreateMenuBar(SHMENUBARINFO* info);

// Dialog initialisation.
struct SHINITDLGINFO {
    DWORD dwMask;
    HWND hDlg;
    DWORD dwFlags;
};
typedef SHINITDLGINFO* PSHINITDLGINFO;

#define SHIDIM_FLAGS 0x0001

#define SHIDIF_DONEBUTTON 0x0001
#define SHIDIF_SIZEDLG 0x0002
#define SHIDIF_SIZEDLGFULLSCREEN 0x0004
#define SHIDIF_SIPDOWN 0x0008
#define SHIDIF_FULLSCREENNOMENUBAR 0x0010

BOOL SHInitDialog(SHINITDLGINFO* info);

// Activation and setting changes.
struct SHACTIVATEINFO {
    DWORD cbSize;
    HWND hwndLastFocus;
    UINT fSipUp : 1;
    UINT fSipOnDeactivation : 1;
    UINT fActive : 1;
    UINT fReserved : 29;
};
typedef SHACTIVATEINFO* PSHACTIVATEINFO;

BOOL SHHandleWMActivate(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info, DWORD flags);
BOOL SHHandleWMSettingChange(HWND hwnd, WPARAM wParam, LPARAM lParam, SHACTIVATEINFO* info);

// Input panel.
struct SIPINFO {
    DWORD cbSize;
    DWORD fdwFlags;
    RECT rcVisibleDesktop;
    RECT rcSipRect;
    DWORD dwImDataSize;
    void* pvImData;
};
typedef SIPINFO* PSIPINFO;

#ifndef SPI_GETSIPINFO
#define SPI_GETSIPINFO 225
#endif
#ifndef SIPF_ON
#define SIPF_ON 0x00000001
#endif

BOOL SHSipInfo(UINT uiAction, UINT uiParam, PVOID pvParam, UINT fWinIni);

// Tap-and-hold on a list: WM_NOTIFY to the list's parent.
#ifndef GN_CONTEXTMENU
#define GN_CONTEXTMENU 1000
#endif

struct NMRGINFO {
    NMHDR hdr;
    POINT ptAction;  // screen coordinates
    DWORD dwItemSpec;
};
typedef NMRGINFO* PNMRGINFO;
