#pragma once

#include "framework/BaseDlg.h"

// The About box: a full-screen page closed by OK or the shell's Done button.
class AboutDlg : public BaseDlg {
  public:
    AboutDlg();
    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;
};
