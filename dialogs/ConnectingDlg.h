#pragma once

#include <windows.h>

#include "resources/AppMessages.h"
#include <wininet.h>

#include <memory>
#include <string>

#include "framework/BaseDlg.h"
#include "ssh/SshQuestions.h"
#include "wininet/FtpTlsApi.h"

class BaseWnd;
class FtpBrowseWnd;
class RemoteFS;

// "Connecting...": shows the host, the user and the step of a login that runs
// on a worker, and offers Cancel. Run returns once the login has ended or the
// user has given it up.
class ConnectingDlg : public BaseDlg {
  public:
    enum Result { kLoggedIn = 0, kFailed = 1, kCancelled = 2, kPending = -1 };

    ConnectingDlg();
    ~ConnectingDlg() override;

    // A SessionEncryption for the login Run starts.
    void SetEncryption(DWORD sessionEncryption) { encryption = sessionEncryption; }
    // A SessionProtocol for the login Run starts.
    void SetProtocol(DWORD sessionProtocol) { protocol = sessionProtocol; }
    // The session allows its logins in the clear where the server refuses TLS.
    void SetPlainLoginAllowed(bool allowed) { plainLoginAllowed = allowed; }
    // The user answered Yes with "Don't ask again": the session keeps that.
    bool PlainLoginRemembered() const { return plainLoginRemembered; }
    // After kFailed: what went wrong, for the user.
    const std::wstring& FailureText() const { return failureText; }

    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;

    // On success the view holds the logged-in connection. The thread's other
    // windows take no input meanwhile, as under a modal dialog.
    int Run(FtpBrowseWnd* view, const wchar_t* host, const wchar_t* user, const wchar_t* password,
            const wchar_t* sessionName, INTERNET_PORT port, int resourceId, BaseWnd* parent);

  private:
    std::unique_ptr<RemoteFS> LoginEngine(FtpBrowseWnd& view) const;
    void WaitForOutcome();
    void ShowStatus(DWORD status);
    void AskAboutCertificate(FTP_SERVER_CERTIFICATE& certificate);
    void AskAboutPlainLogin(FTP_PLAIN_LOGIN& question);
    void AskAboutHostKey(SshHostKeyQuestion& question);
    void AskForPassphrase(SshPassphraseQuestion& question);
    bool AnswerSshQuestion(WPARAM status, LPARAM report);
    void EnableOtherWindows(bool enable);
    BOOL Conclude(int result);

    const wchar_t* host;
    const wchar_t* user;
    int outcome;
    DWORD encryption;
    DWORD protocol;
    bool plainLoginAllowed;
    bool plainLoginRemembered;
    // The user turned down the host key or the passphrase: not a failure.
    std::wstring failureText;
    HWND disabled[8];
    int disabledCount;
};
