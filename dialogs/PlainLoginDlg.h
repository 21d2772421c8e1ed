#pragma once

#include <windows.h>

#include <string>

#include "framework/BaseDlg.h"

// The question before a user name and password go to a server in the clear,
// because it refuses TLS. No is the default: Enter never sends the password
// unprotected. "Don't ask again" is kept with the session by the caller.
class PlainLoginDlg : public BaseDlg {
  public:
    explicit PlainLoginDlg(const std::wstring& host);
    // True for Yes.
    bool Ask(HWND owner);
    bool DontAskAgain() const { return dontAskAgain; }
    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;

    static std::wstring Question(const std::wstring& host);

  private:
    const std::wstring host;
    bool dontAskAgain;
};
