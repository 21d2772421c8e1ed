#pragma once

#include <windows.h>

// A saved connection profile, copied whole. Texts hold at most 511 characters.
struct SessionInfo {
    wchar_t name[512];
    wchar_t host[512];
    wchar_t user[512];
    wchar_t password[512];
    DWORD port;
    DWORD bSaveHost;
    DWORD bSavePassword;
    DWORD bAnonymous;
};
