#pragma once

#include <string>

#include "framework/BaseDlg.h"

class BaseWnd;

// The failure prompt of a transfer: the failure on one line, the server's
// reason below it, and Retry, Ignore, Abort or Ignore All. Shown on the
// user-interface thread when a worker asks.
class TransferErrorDlg : public BaseDlg {
  public:
    TransferErrorDlg();

    // Runs the prompt and returns the answer as the workers expect it:
    // 0 Retry, 1 Ignore, 2 Abort, 3 Ignore All.
    static LRESULT Ask(BaseWnd* owner, const wchar_t* text);

    // The first line is the failure; the lines after it are the reason.
    void SetMessage(const wchar_t* text);

    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void FitText(HWND handle);

    std::wstring message;
    std::wstring reason;
};
