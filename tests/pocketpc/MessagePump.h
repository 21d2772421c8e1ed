#pragma once

#include <windows.h>

// Dispatches this thread's messages until done() holds or the wait runs out;
// returns done()'s last answer. Waits block on the queue, never spin.
template <typename Condition>
bool PumpUntil(Condition done, DWORD timeoutMs = 3000) {
    DWORD start = GetTickCount();
    while (!done()) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    return true;
}

// Dispatches everything that arrives during the given time.
inline void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}
