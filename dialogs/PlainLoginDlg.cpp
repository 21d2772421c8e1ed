#include "dialogs/PlainLoginDlg.h"

#include "framework/CWinApp.h"
#include "resources/resource.h"

PlainLoginDlg::PlainLoginDlg(const std::wstring& host) : host(host), dontAskAgain(false) {}

std::wstring PlainLoginDlg::Question(const std::wstring& host) {
    return host + L" does not offer encryption. Send the user name and password unencrypted?";
}

bool PlainLoginDlg::Ask(HWND owner) {
    INT_PTR result = DialogBoxParamW(GetWinApp()->GetInstance(), MAKEINTRESOURCEW(IDD_PLAIN_LOGIN),
                                     owner, SharedDialogProc, reinterpret_cast<LPARAM>(this));
    return result == IDYES;
}

BOOL PlainLoginDlg::OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextW(hwnd, IDC_PLAIN_LOGIN_QUESTION, Question(host).c_str());
        SetFocus(GetItem(IDNO));
        return FALSE;
    }
    if (message == WM_COMMAND) {
        WORD id = LOWORD(wParam);
        if (id == IDYES || id == IDNO || id == IDCANCEL) {
            dontAskAgain = id == IDYES && IsDlgButtonChecked(hwnd, IDC_PLAIN_LOGIN_DONT_ASK);
            EndWithResult(id);
            return TRUE;
        }
    }
    return BaseDlg::OnDialogMessage(handle, message, wParam, lParam);
}
