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

// Our own additions for FTP over TLS.
#include "wininet/FtpTlsApi.h"
