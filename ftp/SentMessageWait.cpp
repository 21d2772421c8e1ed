#include "ftp/SentMessageWait.h"

bool WaitServingSentMessages(HANDLE object, DWORD timeoutMs) {
    ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        ULONGLONG now = GetTickCount64();
        DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
        DWORD woken = MsgWaitForMultipleObjectsEx(1, &object, left, QS_SENDMESSAGE, 0);
        if (woken == WAIT_OBJECT_0) return true;
        if (woken != WAIT_OBJECT_0 + 1) return false;
        // Peeking delivers the sent messages and removes nothing from the queue.
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}
