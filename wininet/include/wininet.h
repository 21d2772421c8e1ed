#pragma once

// The system header declares every WinINet function as imported from
// wininet.dll. The FTP subset the program uses is implemented in this folder,
// so the same declarations are bound to our own definitions instead.
#include <windows.h>

#pragma push_macro("DECLSPEC_IMPORT")
#undef DECLSPEC_IMPORT
#define DECLSPEC_IMPORT
#include_next <wininet.h>
#pragma pop_macro("DECLSPEC_IMPORT")

// Ours, beside WinINet's: marks an open upload or download as cut short, so
// that closing it resets the data connection and sends ABOR and the server
// keeps no partial upload as a complete file. A call blocked on the handle
// returns at once; the handle must still be closed.
#define CORVANE_HAS_FTP_ABORT_FILE 1
extern "C" BOOL WINAPI FtpAbortFile(HINTERNET hFile);

// Ours, for InternetQueryOption on a connection handle: a DWORD, 1 once the
// connection gave active mode up for passive mode (the server refused PORT and
// EPRT, or could not connect back) and stays passive until it is closed; 0
// before. The caller tells the user once.
#define INTERNET_OPTION_FTP_PASSIVE_FALLBACK 0x7F10

// Our own additions for FTP over TLS.
#include "wininet/FtpTlsApi.h"
