#include "dialogs/ConnectingDlg.h"

#include "browsers/FtpBrowseWnd.h"
#include "app/FtpClientApp.h"
#include "dialogs/CertificateDlg.h"
#include "dialogs/HostKeyDlg.h"
#include "dialogs/LoginAttempt.h"
#include "dialogs/PassphraseDlg.h"
#include "dialogs/PlainLoginDlg.h"
#include "ftp/FtpFS.h"
#include "framework/BaseWnd.h"
#include "ftp/ServerReason.h"
#include "ftp/TransferTypes.h"
#include "resources/resource.h"
#include "settings/SessionInfo.h"
#include "settings/TrustedCertificates.h"
#include "settings/TrustedHostKeys.h"
#include "wininet/ServerText.h"

namespace {

// A login that could not even start fails with this alone.
const wchar_t kCantConnect[] = L"Can't connect";

struct WindowSet {
    HWND* windows;
    int capacity;
    int count;
    HWND except;
};

BOOL CALLBACK CollectEnabledWindow(HWND window, LPARAM set) {
    WindowSet& found = *reinterpret_cast<WindowSet*>(set);
    if (window != found.except && IsWindowVisible(window) && IsWindowEnabled(window) &&
        found.count < found.capacity)
        found.windows[found.count++] = window;
    return TRUE;
}

// The reason behind a failed login where the bare failure would puzzle.
std::wstring FailureFor(DWORD error, bool tlsRefused) {
    std::wstring text = kCantConnect;
    if (tlsRefused) return text + L": the server does not offer FTP over TLS.";
    switch (error) {
        case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
            return text + L": the secure connection with the server failed.";
        case ERROR_INTERNET_INVALID_CA:
        case ERROR_INTERNET_SEC_CERT_CN_INVALID:
        case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
        case ERROR_INTERNET_SEC_CERT_REVOKED:
        case ERROR_INTERNET_SEC_CERT_ERRORS:
            return text + L": the server's certificate is not trusted.";
        default:
            return text;
    }
}

}  // namespace

ConnectingDlg::ConnectingDlg()
    : host(nullptr),
      user(nullptr),
      outcome(kPending),
      encryption(kPlainFtp),
      protocol(kProtocolFtp),
      plainLoginAllowed(false),
      plainLoginRemembered(false),
      failureText(kCantConnect),
      disabled(),
      disabledCount(0) {}

ConnectingDlg::~ConnectingDlg() {}

int ConnectingDlg::Run(FtpBrowseWnd* view, const wchar_t* hostName, const wchar_t* userName,
                       const wchar_t* password, const wchar_t* sessionName, INTERNET_PORT port,
                       int resourceId, BaseWnd* parent) {
    if (!view || !hostName) return kFailed;
    host = hostName;
    user = userName;
    outcome = kPending;
    if (!CreateModeless(resourceId, parent)) return kFailed;
    LoginAttempt* attempt =
        LoginAttempt::Start(hwnd, LoginEngine(*view), host, user, password, port);
    if (!attempt) {
        DestroyDlg();
        return kFailed;
    }
    EnableOtherWindows(false);
    Show(SW_SHOW);
    WaitForOutcome();
    if (outcome == kLoggedIn && !attempt->LoggedIn()) outcome = kFailed;
    // Refusing what the login asked (a certificate, a host key, a login in the
    // clear, a passphrase) was the user's own choice, not a failure.
    if (outcome == kFailed && attempt->Engine().LoginDeclined()) outcome = kCancelled;
    if (outcome == kFailed)
        failureText = WithServerReason(
            FailureFor(attempt->Engine().ConnectError(), attempt->Engine().ServerRefusedTls())
                .c_str(),
            attempt->FailureReason());
    if (outcome == kLoggedIn) view->AdoptLogin(attempt->Engine(), host, user, sessionName);
    attempt->Abandon();
    // The others come back before the dialog goes, so that its owner gets the activation.
    EnableOtherWindows(true);
    if (hwnd) DestroyDlg();
    return outcome;
}

// The login's engine is of the view's protocol, with its settings; an FTP one
// gets the session's encryption.
std::unique_ptr<RemoteFS> ConnectingDlg::LoginEngine(FtpBrowseWnd& view) const {
    std::unique_ptr<RemoteFS> engine = view.GetEngine().MakeSibling();
    if (auto* ftp = dynamic_cast<FtpFS*>(engine.get())) {
        ftp->SetEncryption(encryption);
        if (plainLoginAllowed) ftp->AllowPlainLogin();
    }
    return engine;
}

// Every message of the thread is handled meanwhile, so the program keeps
// painting; the outcome arrives through the dialog procedure, whichever loop
// runs (a menu's, a message box's). A quit request ends the wait and is
// passed on to the main loop.
void ConnectingDlg::WaitForOutcome() {
    MSG message;
    while (outcome == kPending) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));
            outcome = kCancelled;
        } else if (got == -1) {
            outcome = kFailed;
        } else if (!IsDialogMessageW(hwnd, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (!hwnd && outcome == kPending) outcome = kFailed;  // destroyed from elsewhere
    }
}

// Like a modal dialog, but for every window of the thread: the menu bar is
// a window of its own beside the frame.
void ConnectingDlg::EnableOtherWindows(bool enable) {
    if (!enable) {
        WindowSet set = {disabled, static_cast<int>(sizeof(disabled) / sizeof(disabled[0])), 0,
                         hwnd};
        EnumThreadWindows(GetCurrentThreadId(), CollectEnabledWindow,
                          reinterpret_cast<LPARAM>(&set));
        disabledCount = set.count;
    }
    for (int i = 0; i < disabledCount; ++i) EnableWindow(disabled[i], enable);
    if (enable) disabledCount = 0;
}

BOOL ConnectingDlg::OnDialogMessage(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetDlgItemTextW(hwnd, IDC_CONNECTING_HOST, host);
            SetDlgItemTextW(hwnd, IDC_CONNECTING_USER, user);
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDCANCEL) PostMessageW(hwnd, WM_APP_CANCEL_LOGIN, 0, 0);
            break;
        case WM_APP_CONNECT_STATUS:
            if (AnswerSshQuestion(wParam, lParam)) return TRUE;
            if (wParam == INTERNET_STATUS_FTP_CERTIFICATE) {
                auto* report = reinterpret_cast<StatusReport*>(lParam);
                AskAboutCertificate(*static_cast<FTP_SERVER_CERTIFICATE*>(report->information));
                return TRUE;
            }
            ShowStatus(static_cast<DWORD>(wParam));
            if (wParam == INTERNET_STATUS_FTP_TLS_REFUSED) {
                auto* report = reinterpret_cast<StatusReport*>(lParam);
                if (report->information)
                    AskAboutPlainLogin(*static_cast<FTP_PLAIN_LOGIN*>(report->information));
            }
            break;
        case WM_APP_LOGGED_IN:
            return Conclude(kLoggedIn);
        case WM_APP_LOGIN_FAILED:
            return Conclude(kFailed);
        case WM_APP_CANCEL_LOGIN:
            return Conclude(kCancelled);
    }
    return FALSE;
}

// Handled here in full: the dialog manager reads these numbers as its own
// messages (set the default button, reposition).
BOOL ConnectingDlg::Conclude(int result) {
    if (outcome == kPending) outcome = result;
    return TRUE;
}

void ConnectingDlg::ShowStatus(DWORD status) {
    const wchar_t* text = nullptr;
    if (status == INTERNET_STATUS_RESOLVING_NAME) text = L"Resolving name";
    if (status == INTERNET_STATUS_CONNECTING_TO_SERVER) text = L"Connecting to server";
    // Over TLS the login waits until the connection is secured; SSH secures
    // it as part of its login.
    bool loginNext = encryption == kPlainFtp || protocol == kProtocolSftp;
    if (status == INTERNET_STATUS_CONNECTED_TO_SERVER)
        text = loginNext ? L"Logging in" : L"Securing connection";
    if (status == INTERNET_STATUS_FTP_SECURING) text = L"Securing connection";
    if (status == INTERNET_STATUS_FTP_SECURED) text = L"Logging in";
    if (status == INTERNET_STATUS_FTP_TLS_REFUSED) text = L"TLS refused";
    if (status == kSshStatusHostKey) text = L"Checking host key";
    if (status == kSshStatusPassphrase) text = L"Logging in";
    if (text) SetDlgItemTextW(hwnd, IDC_CONNECTING_STATUS, text);
}

// Asked on the login's behalf while it waits: nothing goes to the server before
// the answer. "Always trust" is stored at once, for this host and port.
void ConnectingDlg::AskAboutCertificate(FTP_SERVER_CERTIFICATE& certificate) {
    RegStore& store = GetApp()->registry;
    std::wstring trusted = TrustedCertificates::Find(store, certificate.host, certificate.port);
    CertificateDlg::Choice choice = CertificateDlg(certificate, trusted).Ask(hwnd);
    if (choice == CertificateDlg::kAlwaysTrust)
        TrustedCertificates::Trust(store, certificate.host, certificate.port, certificate.sha256);
    certificate.accept = choice != CertificateDlg::kCancel;
}

// Asked on the login's behalf while it waits: nothing more goes to the server
// before the answer, and No sends nothing at all.
void ConnectingDlg::AskAboutPlainLogin(FTP_PLAIN_LOGIN& question) {
    PlainLoginDlg dialog(question.host);
    question.accept = dialog.Ask(hwnd);
    plainLoginRemembered = dialog.DontAskAgain();
}

// The SFTP login's questions; false for any other status. A report without a
// question only shows the step: there is nothing to answer.
bool ConnectingDlg::AnswerSshQuestion(WPARAM status, LPARAM report) {
    if (status != kSshStatusHostKey && status != kSshStatusPassphrase) return false;
    ShowStatus(static_cast<DWORD>(status));
    void* question = report ? reinterpret_cast<StatusReport*>(report)->information : nullptr;
    if (!question) return true;
    if (status == kSshStatusHostKey)
        AskAboutHostKey(*static_cast<SshHostKeyQuestion*>(question));
    else
        AskForPassphrase(*static_cast<SshPassphraseQuestion*>(question));
    return true;
}

// Asked on the login's behalf while it waits: nothing goes to the server before
// the answer. A key trusted always for this host and port passes unasked;
// "Always trust" is stored at once.
void ConnectingDlg::AskAboutHostKey(SshHostKeyQuestion& question) {
    RegStore& store = GetApp()->registry;
    INTERNET_PORT port = static_cast<INTERNET_PORT>(question.port);
    std::wstring shown = DecodeServerText(question.key.fingerprint);
    if (question.trustedFingerprint.empty())
        question.trustedFingerprint = TrustedHostKeys::Find(store, question.host.c_str(), port);
    if (!shown.empty() && shown == question.trustedFingerprint) {
        question.accept = true;
        return;
    }
    HostKeyDlg::Choice choice = HostKeyDlg(question).Ask(hwnd);
    if (choice == HostKeyDlg::kAlwaysTrust)
        TrustedHostKeys::Trust(store, question.host.c_str(), port, shown.c_str());
    question.accept = choice != HostKeyDlg::kCancel;
}

// Asked on the login's behalf while it waits; a cancel leaves no passphrase behind.
void ConnectingDlg::AskForPassphrase(SshPassphraseQuestion& question) {
    question.given =
        PassphraseDlg(question.keyFile, question.wrongBefore).Ask(hwnd, question.passphrase);
    if (!question.given) question.passphrase.clear();
}
