#include "aygshell.h"

// There is no input panel on the desktop, so activation and setting changes
// never need to move the frame or remember the panel's state.

BOOL SHHandleWMActivate(HWND, WPARAM, LPARAM, SHACTIVATEINFO*, DWORD) { return TRUE; }

BOOL SHHandleWMSettingChange(HWND, WPARAM, LPARAM, SHACTIVATEINFO*) { return TRUE; }
