#include "dialogs/HostKeyDlg.h"

#include "framework/CWinApp.h"
#include "resources/resource.h"
#include "wininet/ServerText.h"

namespace {

std::wstring ServerName(const SshHostKeyQuestion& question) {
    return question.host + L":" + std::to_wstring(question.port);
}

bool IsChange(const SshHostKeyQuestion& question) {
    return !question.trustedFingerprint.empty() &&
           question.trustedFingerprint != DecodeServerText(question.key.fingerprint);
}

// A key without a fingerprint cannot be compared with anything.
bool CanBeAccepted(const SshHostKeyQuestion& question) { return !question.key.fingerprint.empty(); }

}  // namespace

HostKeyDlg::HostKeyDlg(const SshHostKeyQuestion& question) : question(question) {}

HostKeyDlg::Choice HostKeyDlg::Ask(HWND owner) {
    INT_PTR result = DialogBoxParamW(GetWinApp()->GetInstance(), MAKEINTRESOURCEW(IDD_HOST_KEY),
                                     owner, SharedDialogProc, reinterpret_cast<LPARAM>(this));
    if (!CanBeAccepted(question)) return kCancel;
    if (result == IDC_HOST_KEY_ONCE) return kConnectOnce;
    return result == IDC_HOST_KEY_ALWAYS ? kAlwaysTrust : kCancel;
}

std::wstring HostKeyDlg::Warning(const SshHostKeyQuestion& question) {
    if (!CanBeAccepted(question))
        return L"The host key of " + ServerName(question) +
               L" has no fingerprint, so it cannot be checked.";
    if (IsChange(question))
        return L"WARNING: " + ServerName(question) +
               L" shows a DIFFERENT host key from the one you trusted. Someone may be "
               L"intercepting the connection.";
    return L"The host key of " + ServerName(question) +
           L" is not known. Connect only if its fingerprint is the server's.";
}

// Each fingerprint on a line of its own, so that it can be read out whole.
std::wstring HostKeyDlg::Details(const SshHostKeyQuestion& question) {
    std::wstring details = L"Host: " + ServerName(question) + L"\r\nKey type: " +
                           DecodeServerText(question.key.type) + L"\r\nSHA-256 fingerprint:\r\n" +
                           DecodeServerText(question.key.fingerprint);
    if (IsChange(question)) details += L"\r\nTrusted before:\r\n" + question.trustedFingerprint;
    return details;
}

BOOL HostKeyDlg::OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextW(hwnd, IDC_HOST_KEY_WARNING, Warning(question).c_str());
        SetDlgItemTextW(hwnd, IDC_HOST_KEY_DETAILS, Details(question).c_str());
        if (IsChange(question)) {
            SetWindowTextW(hwnd, L"Host key CHANGED");
            MessageBeep(MB_ICONWARNING);
        }
        // What cannot be checked cannot be accepted either: Cancel alone stays.
        if (!CanBeAccepted(question)) {
            ShowWindow(GetItem(IDC_HOST_KEY_ONCE), SW_HIDE);
            ShowWindow(GetItem(IDC_HOST_KEY_ALWAYS), SW_HIDE);
        }
        SetFocus(GetItem(IDCANCEL));
        return FALSE;
    }
    if (message == WM_COMMAND) {
        WORD id = LOWORD(wParam);
        if (id == IDC_HOST_KEY_ONCE || id == IDC_HOST_KEY_ALWAYS || id == IDCANCEL) {
            EndWithResult(id);
            return TRUE;
        }
    }
    return BaseDlg::OnDialogMessage(handle, message, wParam, lParam);
}
