#pragma once

#include <windows.h>

#include "framework/BaseDlg.h"

// "File exist": asks what to do with a file a transfer would replace.
// Ends with the id of the button pressed: Resume, Overwrite or Skip.
// "Don't ask again" starts ticked.
class FileExistsDlg : public BaseDlg {
  public:
    FileExistsDlg();

    // The existing file option code of the button that ended the prompt; a
    // prompt closed any other way leaves the question open (existingPrompt).
    static DWORD ActionOf(INT_PTR button);

    void SetMessage(const wchar_t* text);
    bool GetDontAsk() const { return dontAsk != 0; }

    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    wchar_t message[512];
    BYTE dontAsk;
};
