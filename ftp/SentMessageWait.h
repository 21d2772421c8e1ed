#pragma once

#include <windows.h>

// Waits for the object while handling the messages other threads send to this
// one, so a worker blocked in SendMessageW goes on and can see why it should
// end. Posted messages stay queued. False when the time ran out first.
bool WaitServingSentMessages(HANDLE object, DWORD timeoutMs);
