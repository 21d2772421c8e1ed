#pragma once

#include "framework/BaseDlg.h"
#include "framework/WString.h"

class BaseWnd;

// The failure prompt of a transfer: one line of text, and Retry, Ignore,
// Abort or Ignore All. Shown on the user-interface thread when a worker asks.
class TransferErrorDlg : public BaseDlg {
  public:
    TransferErrorDlg();

    // Runs the prompt and returns the answer as the workers expect it:
    // 0 Retry, 1 Ignore, 2 Abort, 3 Ignore All.
    static LRESULT Ask(BaseWnd* owner, const wchar_t* text);

    void SetMessage(const wchar_t* text) { message = text; }

    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void FitToOneLine(HWND handle);

    WString message;
};
