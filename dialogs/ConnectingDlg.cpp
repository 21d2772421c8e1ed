#include "dialogs/ConnectingDlg.h"

#include "browsers/FtpBrowseWnd.h"
#include "dialogs/LoginAttempt.h"
#include "framework/BaseWnd.h"
#include "ftp/TransferTypes.h"
#include "resources/resource.h"

ConnectingDlg::ConnectingDlg() : host(nullptr), user(nullptr) {}

ConnectingDlg::~ConnectingDlg() {}

int ConnectingDlg::Run(FtpBrowseWnd* view, const wchar_t* hostName, const wchar_t* userName,
                       const wchar_t* password, const wchar_t* sessionName, INTERNET_PORT port,
                       int resourceId, BaseWnd* parent) {
    if (!view || !hostName) return kFailed;
    host = hostName;
    user = userName;
    if (!CreateModeless(resourceId, parent)) return kFailed;
    LoginAttempt* attempt = LoginAttempt::Start(hwnd, host, user, password, port);
    if (!attempt) {
        DestroyDlg();
        return kFailed;
    }
    HWND owner = parent ? parent->GetHandle() : nullptr;
    if (owner) EnableWindow(owner, FALSE);
    Show(SW_SHOW);
    int result = WaitForOutcome();
    if (result == kLoggedIn) view->AdoptLogin(attempt->Engine(), host, user, sessionName);
    attempt->Abandon();
    // The parent comes back before the dialog goes, so that it gets the activation.
    if (owner) EnableWindow(owner, TRUE);
    if (hwnd) DestroyDlg();
    return result;
}

// Every message of the thread is handled meanwhile, so the program keeps
// painting; a quit request ends the wait and is passed on to the main loop.
int ConnectingDlg::WaitForOutcome() {
    MSG message;
    for (;;) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            return kCancelled;
        }
        if (got == -1) return kFailed;
        if (message.hwnd == hwnd) {
            if (message.message == LoginAttempt::kLoggedIn) return kLoggedIn;
            if (message.message == LoginAttempt::kFailed) return kFailed;
            if (message.message == kCancelMessage) return kCancelled;
        }
        if (!IsDialogMessageW(hwnd, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (!hwnd) return kFailed;  // destroyed from elsewhere
    }
}

BOOL ConnectingDlg::OnDialogMessage(HWND, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetDlgItemTextW(hwnd, IDC_CONNECTING_HOST, host);
            SetDlgItemTextW(hwnd, IDC_CONNECTING_USER, user);
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) PostMessageW(hwnd, kCancelMessage, 0, 0);
            break;
        case WM_FTP_CONNECT_STATUS:
            ShowStatus(static_cast<DWORD>(wParam));
            break;
    }
    return FALSE;
}

void ConnectingDlg::ShowStatus(DWORD status) {
    const wchar_t* text = nullptr;
    if (status == INTERNET_STATUS_RESOLVING_NAME) text = L"Resolving name";
    if (status == INTERNET_STATUS_CONNECTING_TO_SERVER) text = L"Connecting to server";
    if (status == INTERNET_STATUS_CONNECTED_TO_SERVER) text = L"Logging in";
    if (text) SetDlgItemTextW(hwnd, IDC_CONNECTING_STATUS, text);
}
