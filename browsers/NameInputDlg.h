#pragma once

#include <windows.h>

#include "framework/BaseDlg.h"

class BaseWnd;

// Asks for one line of text under a prompt.
class NameInputDlg : public BaseDlg {
  public:
    static const size_t kTextCapacity = 512;

    NameInputDlg();
    ~NameInputDlg() override;

    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;
    // IDOK or IDCANCEL; the value is read either way.
    virtual INT_PTR DoModal(BaseWnd* owner);

    const wchar_t* SetPrompt(const wchar_t* text);
    const wchar_t* GetValue() const { return value; }

  private:
    wchar_t value[kTextCapacity];
    wchar_t prompt[kTextCapacity];
};
