#pragma once

#include "framework/BaseDlg.h"
#include "framework/WString.h"

// "Transfer Type?": binary (the preselected answer) or ASCII for one file,
// and whether to ask again. Ends with 1 when OK is pressed.
class TransferTypeDlg : public BaseDlg {
  public:
    TransferTypeDlg();

    void SetMessage(const wchar_t* text) { message = text; }
    bool GetDontAsk() const { return dontAsk != 0; }
    // 1 binary, 0 ASCII.
    DWORD GetType() const { return type; }

    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void OnCommand(HWND handle, WORD id);

    WString message;
    BYTE dontAsk;
    DWORD type;
};
