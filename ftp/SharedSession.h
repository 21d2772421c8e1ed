#pragma once

#include <windows.h>
#include <wininet.h>

// The one WinINet session shared by every engine of the process. The first
// engine opens it and installs the status callback; the last one closes it, so
// an engine made afterwards opens a fresh one and every login shows statuses.
class SharedSession {
  public:
    static HINTERNET Acquire(INTERNET_STATUS_CALLBACK callback);
    static void Release();
};
