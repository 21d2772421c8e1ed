#pragma once

// The handheld's single call for setting, resetting and pulsing an event.
#include <windows.h>

#define EVENT_PULSE 1
#define EVENT_RESET 2
#define EVENT_SET 3

BOOL EventModify(HANDLE hEvent, DWORD func);
