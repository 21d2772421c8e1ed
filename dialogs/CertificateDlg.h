#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "framework/BaseDlg.h"
#include "wininet/FtpTlsApi.h"

// The question about a server certificate that no authority the system trusts
// vouches for this host: what the certificate is, why it is not trusted, and
// whether to connect once, trust it always for this host and port, or cancel.
// A host whose always-trusted certificate has changed gets a loud warning.
// Cancel is the default: Enter never connects to an unverified server. One
// that could not be checked at all offers Cancel alone.
class CertificateDlg : public BaseDlg {
  public:
    enum Choice { kCancel, kConnectOnce, kAlwaysTrust };

    CertificateDlg(const FTP_SERVER_CERTIFICATE& certificate, const std::wstring& trusted);
    Choice Ask(HWND owner);
    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;

    // The certificate as the dialog shows it, and why it is not trusted.
    static std::wstring Details(const FTP_SERVER_CERTIFICATE& certificate);
    static std::wstring Warning(const FTP_SERVER_CERTIFICATE& certificate,
                                const std::wstring& trusted);

  private:
    const FTP_SERVER_CERTIFICATE& certificate;
    const std::wstring trusted;  // the fingerprint trusted before, if any
};
