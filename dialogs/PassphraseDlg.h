#pragma once

#include <windows.h>

#include <string>

#include "framework/BaseDlg.h"

// Asks the passphrase that opens a private key file, hidden as it is typed,
// and says so when the one given last did not open it. The answer is handed
// over as UTF-8 and the dialog keeps no copy of it.
class PassphraseDlg : public BaseDlg {
  public:
    PassphraseDlg(const std::wstring& keyFile, bool wrongBefore);
    // False when the user cancelled; otherwise `passphrase` holds the answer.
    bool Ask(HWND owner, std::string& passphrase);
    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;

    static std::wstring Prompt(const std::wstring& keyFile, bool wrongBefore);

  private:
    void TakeAnswer();

    const std::wstring keyFile;
    const bool wrongBefore;
    std::string* answer;
};
