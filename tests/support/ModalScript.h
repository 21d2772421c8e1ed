#pragma once

#include <windows.h>

#include <functional>

// While it lives, the first dialog box the calling thread shows is handed to
// the steps from inside the dialog's own message loop, as a user would meet it;
// the steps end the dialog. A dialog they leave open fails the test and is closed.
class ModalScript {
  public:
    using Steps = std::function<void(HWND dialog)>;

    explicit ModalScript(Steps steps);
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    bool Ran() const { return ran; }

  private:
    static LRESULT CALLBACK OnWindowEvent(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK RunSteps(HWND, UINT, UINT_PTR timer, DWORD);

    Steps steps;
    HWND dialog = nullptr;
    bool ran = false;
    HHOOK hook;
};
