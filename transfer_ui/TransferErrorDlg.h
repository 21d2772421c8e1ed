#pragma once

#include <string>

#include "framework/BaseDlg.h"

// The failure prompt of a transfer: the failure on one line, the server's
// reason below it, and Retry, Ignore, Abort or Ignore All. Shown on the
// user-interface thread when a worker asks.
class TransferErrorDlg : public BaseDlg {
  public:
    TransferErrorDlg();

    // The answer, as the workers expect it, of the button that ended the
    // prompt: 0 Retry, 1 Ignore, 2 Abort, 3 Ignore All. A prompt that could
    // not be shown aborts: taking it as Retry would ask for ever.
    static LRESULT AnswerOf(INT_PTR button);

    // The first line is the failure; the lines after it are the reason.
    void SetMessage(const wchar_t* text);

    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void FitText(HWND handle);

    std::wstring message;
    std::wstring reason;
};
