#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "dialogs/ConnectingDlg.h"
#include "dialogs/HostKeyDlg.h"
#include "dialogs/PassphraseDlg.h"
#include "framework/BaseDlg.h"
#include "ftp/TransferTypes.h"
#include "resources/resource.h"
#include "settings/TrustedHostKeys.h"
#include "support/DialogDriver.h"
#include "support/GuiApp.h"
#include "support/ScratchKey.h"

namespace {

const char kKeyA[] = "SHA256:uNiVztksCsDhcc0u9e8BujQXVUpKZIDTMczCvj3tD2s";
const char kKeyB[] = "SHA256:47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU";

std::wstring Wide(const char* text) { return std::wstring(text, text + strlen(text)); }

SshHostKeyQuestion Question(const char* fingerprint, const char* trusted = "") {
    SshHostKeyQuestion question;
    question.host = L"sftp.example";
    question.port = 2222;
    question.key = {"ssh-ed25519", fingerprint};
    question.trustedFingerprint = Wide(trusted);
    return question;
}

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

// What a host key question showed before its button was pressed.
struct Shown {
    std::wstring title, warning, details;
    bool offered = false, cancelIsDefault = false;
};

DialogDriver::Action NoteAndPress(Shown& shown, int button) {
    return [&shown, button](HWND d) {
        wchar_t title[64] = L"";
        GetWindowTextW(d, title, 64);
        shown.title = title;
        shown.warning = ItemText(d, IDC_HOST_KEY_WARNING);
        shown.details = ItemText(d, IDC_HOST_KEY_DETAILS);
        shown.offered = IsWindowVisible(GetDlgItem(d, IDC_HOST_KEY_ONCE)) &&
                        IsWindowVisible(GetDlgItem(d, IDC_HOST_KEY_ALWAYS));
        shown.cancelIsDefault = LOWORD(SendMessageW(d, DM_GETDEFID, 0, 0)) == IDCANCEL &&
                                GetFocus() == GetDlgItem(d, IDCANCEL);
        Click(d, button);
    };
}

}  // namespace

// First contact says the key is not known; a changed key warns loudly and
// names both fingerprints; a key without a fingerprint offers Cancel alone,
// whatever is pressed. Cancel is the default everywhere.
TEST(HostKeyDlg, ShowsTheKeyAndWarnsWhenItChanged) {
    GuiApp app;
    struct Case {
        SshHostKeyQuestion question;
        int button;
        HostKeyDlg::Choice choice;
        const wchar_t* title;
        const wchar_t* warning;
        bool offered;
    } cases[] = {
        {Question(kKeyA), IDC_HOST_KEY_ONCE, HostKeyDlg::kConnectOnce, L"Host key", L"not known",
         true},
        {Question(kKeyA), IDC_HOST_KEY_ALWAYS, HostKeyDlg::kAlwaysTrust, L"Host key", L"not known",
         true},
        {Question(kKeyA), IDCANCEL, HostKeyDlg::kCancel, L"Host key", L"not known", true},
        {Question(kKeyA, kKeyB), IDC_HOST_KEY_ONCE, HostKeyDlg::kConnectOnce, L"Host key CHANGED",
         L"intercepting", true},
        {Question(kKeyA, kKeyA), IDC_HOST_KEY_ONCE, HostKeyDlg::kConnectOnce, L"Host key",
         L"not known", true},
        {Question(""), IDC_HOST_KEY_ONCE, HostKeyDlg::kCancel, L"Host key", L"cannot be checked",
         false},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(Wide(test.question.key.fingerprint.c_str()) + L" after " +
                     test.question.trustedFingerprint);
        Shown shown;
        DialogDriver driver;
        driver.On(test.title, NoteAndPress(shown, test.button));
        EXPECT_EQ(test.choice, HostKeyDlg(test.question).Ask(nullptr));
        EXPECT_EQ(test.title, shown.title);
        EXPECT_TRUE(Contains(shown.warning, test.warning)) << shown.warning;
        EXPECT_TRUE(Contains(shown.warning, L"sftp.example:2222")) << shown.warning;
        EXPECT_EQ(test.offered, shown.offered);
        EXPECT_TRUE(shown.cancelIsDefault);
        EXPECT_TRUE(Contains(shown.details, L"Key type: ssh-ed25519")) << shown.details;
        EXPECT_TRUE(Contains(shown.details, Wide(test.question.key.fingerprint.c_str())));
        bool changed = test.title == std::wstring(L"Host key CHANGED");
        EXPECT_EQ(changed, Contains(shown.details, L"Trusted before:\r\n" + Wide(kKeyB)));
    }
}

// The passphrase is asked hidden, says when the last one failed, and comes
// back as UTF-8; Cancel gives nothing.
TEST(PassphraseDlg, AsksHiddenAndHandsBackUtf8) {
    GuiApp app;
    struct Case {
        bool wrongBefore;
        const wchar_t* typed;
        int button;
        const char* passphrase;
        const wchar_t* prompt;
    } cases[] = {
        {false, L"p\u00e4ss \u20ac", IDOK, "p\xc3\xa4ss \xe2\x82\xac", L"is protected"},
        {true, L"second try", IDOK, "second try", L"did not open"},
        {false, L"", IDOK, "", L"is protected"},
        {false, L"typed", IDCANCEL, "", L"is protected"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.typed);
        std::wstring prompt;
        bool hidden = false;
        DialogDriver driver;
        driver.On(L"Key passphrase", [&](HWND d) {
            prompt = ItemText(d, IDC_PASSPHRASE_PROMPT);
            hidden = (GetWindowLongW(GetDlgItem(d, IDC_PASSPHRASE_VALUE), GWL_STYLE) &
                      ES_PASSWORD) != 0 &&
                     GetFocus() == GetDlgItem(d, IDC_PASSPHRASE_VALUE);
            SetItemText(d, IDC_PASSPHRASE_VALUE, test.typed);
            Click(d, test.button);
        });
        std::string passphrase;
        EXPECT_EQ(
            test.button == IDOK,
            PassphraseDlg(L"C:\\keys\\id_ed25519", test.wrongBefore).Ask(nullptr, passphrase));
        EXPECT_EQ(test.passphrase, passphrase);
        EXPECT_TRUE(hidden);
        EXPECT_TRUE(Contains(prompt, test.prompt)) << prompt;
        EXPECT_TRUE(Contains(prompt, L"C:\\keys\\id_ed25519")) << prompt;
    }
}

// The login's questions reach the Connecting dialog as statuses and are
// answered there: "Always trust" keeps the key for that host and port at once,
// so that it passes unasked next time; another key there is asked about again,
// as a change. The passphrase is handed back, or nothing on Cancel.
TEST(ConnectingDlg, AnswersTheSftpLoginsQuestions) {
    GuiApp app;
    ScratchKey key(L"Software\\CorvaneTest\\HostKeys");
    app.registry.SetMakerKey(L"CorvaneTest");
    app.registry.SetProductKey(L"HostKeys");
    ASSERT_TRUE(app.registry.Open());
    ConnectingDlg dialog;
    dialog.SetProtocol(kProtocolSftp);
    ASSERT_TRUE(dialog.CreateModeless(IDD_CONNECTING, nullptr));
    HWND d = dialog.GetHandle();
    auto ask = [d](DWORD status, void* question) {
        StatusReport report = {status, question, 0};
        SendMessageW(d, WM_APP_CONNECT_STATUS, status, reinterpret_cast<LPARAM>(&report));
    };

    struct HostKeyCase {
        const char* shown;
        int button;  // 0: no question expected
        bool accept;
        const wchar_t* title;
        const char* trustedAfter;
    } hostKeyCases[] = {
        {kKeyA, IDCANCEL, false, L"Host key", ""},
        {kKeyA, IDC_HOST_KEY_ONCE, true, L"Host key", ""},
        {kKeyA, IDC_HOST_KEY_ALWAYS, true, L"Host key", kKeyA},
        {kKeyA, 0, true, nullptr, kKeyA},
        {kKeyB, IDCANCEL, false, L"Host key CHANGED", kKeyA},
        {kKeyB, IDC_HOST_KEY_ALWAYS, true, L"Host key CHANGED", kKeyB},
    };
    for (const HostKeyCase& test : hostKeyCases) {
        SCOPED_TRACE(std::string(test.shown) + " pressing " + std::to_string(test.button));
        SshHostKeyQuestion question = Question(test.shown);
        Shown shown;
        DialogDriver driver;
        if (test.button) driver.On(test.title, NoteAndPress(shown, test.button));
        ask(kSshStatusHostKey, &question);
        EXPECT_EQ(test.accept, question.accept);
        EXPECT_EQ(test.button ? 1 : 0, driver.Count());
        EXPECT_EQ(test.title ? test.title : L"", shown.title);
        EXPECT_EQ(L"Checking host key", ItemText(d, IDC_CONNECTING_STATUS));
        EXPECT_EQ(Wide(test.trustedAfter),
                  TrustedHostKeys::Find(app.registry, L"SFTP.example", 2222));
    }
    EXPECT_EQ(L"", TrustedHostKeys::Find(app.registry, L"sftp.example", 22));

    for (int button : {IDOK, IDCANCEL}) {
        SshPassphraseQuestion question;
        question.keyFile = L"C:\\keys\\id_rsa";
        question.passphrase = "left from before";
        DialogDriver driver;
        driver.On(L"Key passphrase", [button](HWND p) {
            SetItemText(p, IDC_PASSPHRASE_VALUE, L"secret");
            Click(p, button);
        });
        ask(kSshStatusPassphrase, &question);
        EXPECT_EQ(button == IDOK, question.given);
        EXPECT_EQ(button == IDOK ? "secret" : "", question.passphrase);
        EXPECT_EQ(1, driver.Count());
    }
    ask(kSshStatusHostKey, nullptr);  // a report without a question is ignored
    dialog.DestroyDlg();
}

// The handheld shows a dialog whole only when it fits its 240x320 screen,
// caption and frame included: the login's dialogs must, as the font draws them.
TEST(SshLoginDlg, TheLoginDialogsFitAHandheldScreen) {
    GuiApp app;
    for (int id : {IDD_CONNECT, IDD_HOST_KEY, IDD_PASSPHRASE, IDD_CONNECTING}) {
        BaseDlg dialog;
        ASSERT_TRUE(dialog.CreateModeless(id, nullptr)) << id;
        RECT shown = {};
        dialog.GetWindowRect(&shown);
        EXPECT_LE(shown.right - shown.left, 240) << id;
        EXPECT_LE(shown.bottom - shown.top, 320) << id;
        dialog.DestroyDlg();
    }
}
