#include "ceevents.h"

BOOL EventModify(HANDLE hEvent, DWORD func) {
    switch (func) {
        case EVENT_SET:
            return SetEvent(hEvent);
        case EVENT_RESET:
            return ResetEvent(hEvent);
        case EVENT_PULSE:
            return PulseEvent(hEvent);
        default:
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
    }
}
