#pragma once

#include <windows.h>

#include "dialogs/SmartTab.h"
#include "framework/BaseDlg.h"

class FtpPage;
class GeneralPage;
class FtpOptions;

// The full-screen Options dialog: a "General" and an "Ftp" tab over OK and
// Cancel. OK copies every page's values into the application's options; Cancel
// leaves them as they were.
class OptionsDlg : public BaseDlg {
  public:
    OptionsDlg();
    ~OptionsDlg() override;

    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void BuildPages();
    void DeletePages();
    void LayOut();
    void StoreOptions(FtpOptions& options);

    SmartTab tabStrip;
    GeneralPage* generalPage;
    FtpPage* ftpPage;
};
