#include "framework/ProcessEnd.h"

#include <windows.h>

#include <cstdio>

void EndProcessNow(int exitCode) {
    fflush(nullptr);
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(exitCode));
    ExitProcess(static_cast<UINT>(exitCode));  // only if the process could not be ended
}
