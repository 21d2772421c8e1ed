#include "support/ModalScript.h"

#include <gtest/gtest.h>

#include <cwchar>

static thread_local ModalScript* activeScript = nullptr;

ModalScript::ModalScript(Steps steps)
    : steps(std::move(steps)),
      hook(SetWindowsHookExW(WH_CBT, OnWindowEvent, nullptr, GetCurrentThreadId())) {
    activeScript = this;
}

ModalScript::~ModalScript() {
    UnhookWindowsHookEx(hook);
    activeScript = nullptr;
}

// Activation may come while the dialog initialises; a thread timer waits for its loop.
LRESULT CALLBACK ModalScript::OnWindowEvent(int code, WPARAM wParam, LPARAM lParam) {
    HWND window = reinterpret_cast<HWND>(wParam);
    wchar_t className[16] = L"";
    if (code == HCBT_ACTIVATE && activeScript && !activeScript->dialog &&
        GetClassNameW(window, className, 16) && wcscmp(className, L"#32770") == 0) {
        activeScript->dialog = window;
        SetTimer(nullptr, 0, 0, RunSteps);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The loop shows the dialog only once its queue is empty: until then the timer goes on.
void CALLBACK ModalScript::RunSteps(HWND, UINT, UINT_PTR timer, DWORD) {
    ModalScript* script = activeScript;
    if (script && !script->ran && !IsWindowVisible(script->dialog)) return;
    KillTimer(nullptr, timer);
    if (!script || script->ran) return;
    script->ran = true;
    script->steps(script->dialog);
    if (IsWindowVisible(script->dialog)) {
        ADD_FAILURE() << "the steps left the dialog open";
        EndDialog(script->dialog, 0);
    }
}
