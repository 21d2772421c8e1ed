#pragma once

#include <windows.h>

#include "resources/AppMessages.h"

// The user's answer to an error prompt.
enum TransferAnswer : LRESULT {
    answerRetry = 0,
    answerIgnore = 1,
    answerAbort = 2,
    answerIgnoreAll = 3
};

enum PanelButton : WPARAM { panelDone = 1, panelCancel = 2 };
