#pragma once

#include <windows.h>

#include "framework/BaseDlg.h"
#include "settings/FtpOptions.h"

// The "General" tab of the Options dialog: the anonymous password, the rule
// for files that already exist and whether copies keep their times. Its values are read from the
// controls while the page exists and kept in the object after it is gone.
class GeneralPage : public BaseDlg {
  public:
    GeneralPage(const wchar_t* email, DWORD existingFileOption, bool keepTimes);

    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;

    const wchar_t* GetEmail();
    // A code no radio button stands for is kept until one is checked.
    DWORD GetExistingFileOption();
    bool GetKeepTimes();

  private:
    void ShowValues();
    void ReadEmail();
    void ReadExistingFileOption();
    void ReadKeepTimes();

    wchar_t email[FtpOptions::textCapacity];
    DWORD existingFileOption;
    bool keepTimes;
};
