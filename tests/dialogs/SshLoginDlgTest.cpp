#include <gtest/gtest.h>

#include "dialogs/ConnectingDlg.h"
#include "ftp/TransferTypes.h"
#include "resources/resource.h"
#include "settings/TrustedHostKeys.h"
#include "support/DialogDriver.h"
#include "support/GuiApp.h"
#include "support/ScratchKey.h"

namespace {

const char kKeyA[] = "SHA256:uNiVztksCsDhcc0u9e8BujQXVUpKZIDTMczCvj3tD2s";
const char kKeyB[] = "SHA256:47DEQpj8HBSa+/TImW+5JCeuQeRkm5NMpJWZG3hSuFU";

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

bool Contains(const std::wstring& text, const std::wstring& part) {
    return text.find(part) != std::wstring::npos;
}

}  // namespace

// The SFTP login's questions reach the Connecting dialog as statuses. First
// contact says the key is not known; "Always trust" keeps it for that host
// and port at once, so that it passes unasked next time; another key there is
// warned about as a change naming both fingerprints; a key without a
// fingerprint cannot be accepted. Cancel is the default. The passphrase is
// asked hidden, comes back as UTF-8, and Cancel leaves none behind.
TEST(ConnectingDlg, AnswersTheSftpLoginsQuestions) {
    GuiApp app;
    ScratchKey key(L"Software\\CorvaneTest\\HostKeys");
    app.registry.SetMakerKey(L"CorvaneTest");
    app.registry.SetProductKey(L"HostKeys");
    ASSERT_TRUE(app.registry.Open());
    ConnectingDlg dialog;
    dialog.SetProtocol(kProtocolSftp);
    ASSERT_TRUE(dialog.CreateModeless(IDD_CONNECTING, nullptr));
    auto ask = [&dialog](DWORD status, void* question) {
        StatusReport report = {status, question, 0};
        SendMessageW(dialog.GetHandle(), WM_APP_CONNECT_STATUS, status,
                     reinterpret_cast<LPARAM>(&report));
    };
    struct Case {
        const char* shown;
        int button;  // 0: no question is expected
        bool accept;
        const wchar_t* heading;  // the caption and the warning's start
        const char* trustedAfter;
    } cases[] = {
        {kKeyA, IDCANCEL, false, L"Host key\nThe host key of sftp.example:2222 is not known", ""},
        {kKeyA, IDC_HOST_KEY_ONCE, true, L"Host key\nThe host key", ""},
        {"", IDC_HOST_KEY_ONCE, false, L"Host key\nThe host key of sftp.example:2222 has no", ""},
        {kKeyA, IDC_HOST_KEY_ALWAYS, true, L"Host key\nThe host key", kKeyA},
        {kKeyA, 0, true, L"", kKeyA},
        {kKeyB, IDCANCEL, false, L"Host key CHANGED\nWARNING: sftp.example:2222 shows a", kKeyA},
        {kKeyB, IDC_HOST_KEY_ALWAYS, true, L"Host key CHANGED\nWARNING", kKeyB},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(std::string(test.shown) + " pressing " + std::to_string(test.button));
        SshHostKeyQuestion question{L"sftp.example", 2222, {"ssh-ed25519", test.shown}, L"", false};
        std::wstring seen;
        bool cancelIsDefault = false;
        DialogDriver driver([&](HWND d) {
            wchar_t caption[64] = L"";
            GetWindowTextW(d, caption, 64);
            seen = std::wstring(caption) + L"\n" + ItemText(d, IDC_HOST_KEY_WARNING) + L"\n" +
                   ItemText(d, IDC_HOST_KEY_DETAILS);
            cancelIsDefault = LOWORD(SendMessageW(d, DM_GETDEFID, 0, 0)) == IDCANCEL &&
                              GetFocus() == GetDlgItem(d, IDCANCEL);
            Click(d, test.button ? test.button : IDCANCEL);
        });
        ask(kSshStatusHostKey, &question);
        EXPECT_EQ(test.accept, question.accept);
        EXPECT_EQ(0u, seen.find(test.heading)) << seen;
        EXPECT_EQ(test.button != 0, cancelIsDefault);
        EXPECT_EQ(test.button != 0, Contains(seen, L"Key type: ssh-ed25519")) << seen;
        EXPECT_EQ(test.shown == std::string(kKeyB),
                  Contains(seen, Wide(kKeyA)) && Contains(seen, Wide(kKeyB)));
        EXPECT_EQ(Wide(test.trustedAfter),
                  TrustedHostKeys::Find(app.registry, L"SFTP.example", 2222));
    }
    EXPECT_EQ(L"Checking host key", ItemText(dialog.GetHandle(), IDC_CONNECTING_STATUS));

    for (bool given : {true, false}) {
        SshPassphraseQuestion question{L"C:\\keys\\id_rsa", given, "left from before", false};
        std::wstring prompt;
        bool hidden = false;
        DialogDriver driver([&](HWND d) {
            prompt = ItemText(d, IDC_PASSPHRASE_PROMPT);
            hidden = GetWindowLongW(GetDlgItem(d, IDC_PASSPHRASE_VALUE), GWL_STYLE) & ES_PASSWORD;
            SetItemText(d, IDC_PASSPHRASE_VALUE, L"p\u00e4ss \u20ac");
            Click(d, given ? IDOK : IDCANCEL);
        });
        ask(kSshStatusPassphrase, &question);
        EXPECT_EQ(given, question.given);
        EXPECT_EQ(given ? "p\xc3\xa4ss \xe2\x82\xac" : "", question.passphrase);
        EXPECT_TRUE(hidden);
        EXPECT_TRUE(Contains(prompt, given ? L"did not open" : L"is protected")) << prompt;
    }
    dialog.DestroyDlg();
}
