#include "dialogs/CertificateDlg.h"

#include <cwchar>

#include "framework/CWinApp.h"
#include "resources/resource.h"

namespace {

std::wstring DateText(const FILETIME& time) {
    SYSTEMTIME date = {};
    FileTimeToSystemTime(&time, &date);
    wchar_t text[32];
    swprintf(text, 32, L"%04u-%02u-%02u", date.wYear, date.wMonth, date.wDay);
    return text;
}

const wchar_t* ReasonText(DWORD error) {
    switch (error) {
        case ERROR_INTERNET_INVALID_CA:
            return L"No authority this device trusts vouches for it (it may be self-signed).";
        case ERROR_INTERNET_SEC_CERT_CN_INVALID:
            return L"It was issued for another host name.";
        case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
            return L"It has expired or is not valid yet.";
        case ERROR_INTERNET_SEC_CERT_REVOKED:
            return L"It has been revoked.";
        case ERROR_FTP_CERTIFICATE_NO_FINGERPRINT:
            return L"Its fingerprint could not be computed, so it cannot be checked.";
        case ERROR_FTP_CERTIFICATE_NO_CHAIN:
            return L"Its chain of authorities could not be built, so it cannot be checked.";
        default:
            return L"It could not be verified.";
    }
}

}  // namespace

CertificateDlg::CertificateDlg(const FTP_SERVER_CERTIFICATE& certificate,
                               const std::wstring& trusted)
    : certificate(certificate), trusted(trusted) {}

CertificateDlg::Choice CertificateDlg::Ask(HWND owner) {
    INT_PTR result = DialogBoxParamW(GetWinApp()->GetInstance(), MAKEINTRESOURCEW(IDD_CERTIFICATE),
                                     owner, SharedDialogProc, reinterpret_cast<LPARAM>(this));
    if (!FtpCertificateCanBeAccepted(certificate)) return kCancel;
    if (result == IDC_CERTIFICATE_ONCE) return kConnectOnce;
    return result == IDC_CERTIFICATE_ALWAYS ? kAlwaysTrust : kCancel;
}

std::wstring CertificateDlg::Warning(const FTP_SERVER_CERTIFICATE& certificate,
                                     const std::wstring& trusted) {
    std::wstring server = std::wstring(certificate.host) + L":" + std::to_wstring(certificate.port);
    if (!trusted.empty())
        return L"WARNING: " + server +
               L" shows a DIFFERENT certificate from the one you trusted. Someone may be "
               L"intercepting the connection. " +
               ReasonText(certificate.error);
    return L"The certificate of " + server + L" is not trusted. " + ReasonText(certificate.error);
}

std::wstring CertificateDlg::Details(const FTP_SERVER_CERTIFICATE& certificate) {
    return std::wstring(L"Subject: ") + certificate.subject + L"\r\nIssuer: " + certificate.issuer +
           L"\r\nValid: " + DateText(certificate.validFrom) + L" to " +
           DateText(certificate.validTo) + L"\r\nSHA-256: " + certificate.sha256;
}

BOOL CertificateDlg::OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        SetDlgItemTextW(hwnd, IDC_CERTIFICATE_WARNING, Warning(certificate, trusted).c_str());
        SetDlgItemTextW(hwnd, IDC_CERTIFICATE_DETAILS, Details(certificate).c_str());
        if (!trusted.empty()) {
            SetWindowTextW(hwnd, L"Certificate CHANGED");
            MessageBeep(MB_ICONWARNING);
        }
        // What cannot be checked cannot be accepted either: Cancel alone stays.
        if (!FtpCertificateCanBeAccepted(certificate)) {
            ShowWindow(GetItem(IDC_CERTIFICATE_ONCE), SW_HIDE);
            ShowWindow(GetItem(IDC_CERTIFICATE_ALWAYS), SW_HIDE);
        }
        SetFocus(GetItem(IDCANCEL));
        return FALSE;
    }
    if (message == WM_COMMAND) {
        WORD id = LOWORD(wParam);
        if (id == IDC_CERTIFICATE_ONCE || id == IDC_CERTIFICATE_ALWAYS || id == IDCANCEL) {
            EndWithResult(id);
            return TRUE;
        }
    }
    return BaseDlg::OnDialogMessage(handle, message, wParam, lParam);
}
