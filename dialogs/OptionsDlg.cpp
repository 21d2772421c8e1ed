#include "dialogs/OptionsDlg.h"

#include <aygshell.h>

#include "app/FtpClientApp.h"
#include "dialogs/FtpPage.h"
#include "dialogs/GeneralPage.h"
#include "resources/resource.h"

namespace {

// The OK and Cancel buttons sit in a band this high along the bottom edge.
const int kButtonBandHeight = 30;
const int kButtonGap = 6;

}  // namespace

OptionsDlg::OptionsDlg() : generalPage(nullptr), ftpPage(nullptr) {
    initFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;
}

OptionsDlg::~OptionsDlg() { DeletePages(); }

BOOL OptionsDlg::OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            BuildPages();
            LayOut();
            break;
        case WM_SIZE:
            LayOut();
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                StoreOptions(GetApp()->options);
                EndWithResult(IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndWithResult(IDCANCEL);
                return TRUE;
            }
            break;
    }
    return BaseDlg::OnDialogMessage(handle, message, wParam, lParam);
}

// Each page takes its values from the options now. The page added last is
// the first tab and the one shown.
void OptionsDlg::BuildPages() {
    DeletePages();
    RECT client;
    GetClientRect(&client);
    tabStrip.CreateInDialog(WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                            client.bottom - kButtonBandHeight, this, 0);
    const FtpOptions& options = GetApp()->options;
    ftpPage =
        new FtpPage(options.GetUsePassive(), options.GetUseProxy(), options.GetProxyServer(),
                    options.GetProxyPort(), options.GetTransferType(), options.GetConnections());
    tabStrip.AddPage(L"Ftp", ftpPage, IDD_FTP_PAGE);
    generalPage = new GeneralPage(options.GetAnonymousPassword(), options.GetExistingFileOption(),
                                  options.GetKeepTimes());
    tabStrip.AddPage(L"General", generalPage, IDD_GENERAL_PAGE);
}

void OptionsDlg::DeletePages() {
    delete generalPage;
    generalPage = nullptr;
    delete ftpPage;
    ftpPage = nullptr;
}

// The shell sizes the dialog to the frame, whatever its template says: the tab
// strip takes the client area above the buttons, which are centred in their band.
void OptionsDlg::LayOut() {
    RECT client;
    GetClientRect(&client);
    tabStrip.Move(0, 0, client.right, client.bottom - kButtonBandHeight, true);
    HWND ok = GetItem(IDOK), cancel = GetItem(IDCANCEL);
    RECT button;
    ::GetWindowRect(ok, &button);
    int width = button.right - button.left, height = button.bottom - button.top;
    int left = (client.right - 2 * width - kButtonGap) / 2;
    int top = client.bottom - (kButtonBandHeight + height) / 2;
    MoveWindow(ok, left, top, width, height, TRUE);
    MoveWindow(cancel, left + width + kButtonGap, top, width, height, TRUE);
}

void OptionsDlg::StoreOptions(FtpOptions& options) {
    if (generalPage) {
        options.SetAnonymousPassword(generalPage->GetEmail());
        options.SetExistingFileOption(generalPage->GetExistingFileOption());
        options.SetKeepTimes(generalPage->GetKeepTimes());
    }
    if (ftpPage) {
        options.SetUseProxy(ftpPage->GetUseProxy());
        options.SetProxyServer(ftpPage->GetProxyServer());
        options.SetProxyPort(ftpPage->GetProxyPort());
        options.SetTransferType(ftpPage->GetTransferType());
        options.SetUsePassive(ftpPage->GetUsePassive());
        options.SetConnections(ftpPage->GetConnections());
    }
}
