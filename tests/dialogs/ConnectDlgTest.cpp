#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "dialogs/ConnectDlg.h"
#include "framework/TextUtil.h"
#include "resources/resource.h"
#include "settings/SessionInfo.h"
#include "support/DialogDriver.h"
#include "support/GuiApp.h"

namespace {

SessionInfo MakeSession(const wchar_t* name, const wchar_t* host, const wchar_t* user, DWORD port,
                        bool anonymous) {
    SessionInfo session = {};
    CopyText(session.name, name);
    CopyText(session.host, host);
    CopyText(session.user, user);
    CopyText(session.password, L"pw");
    session.port = port;
    session.bSaveHost = 1;
    session.bAnonymous = anonymous;
    return session;
}

class ConnectDlgTest : public ::testing::Test {
  protected:
    // Runs the dialog modally while the action looks at it and presses its buttons.
    INT_PTR Run(DialogDriver::Action action) {
        driver.On(L"Connect...", std::move(action));
        return dialog.DoModal(nullptr);
    }

    GuiApp app;
    ConnectDlg dialog;
    DialogDriver driver;
};

}  // namespace

TEST_F(ConnectDlgTest, NewHostStartsEmptyOnTheFtpPortAndAnonymousFillsTheLogin) {
    app.options.SetAnonymousPassword(L"guest@example.org");
    INT_PTR result = Run([](HWND d) {
        for (int id :
             {IDC_CONNECT_SESSION, IDC_CONNECT_HOST, IDC_CONNECT_USER, IDC_CONNECT_PASSWORD})
            EXPECT_EQ(L"", ItemText(d, id));
        EXPECT_EQ(L"21", ItemText(d, IDC_CONNECT_PORT));
        EXPECT_EQ(L"Require explicit FTP over TLS", ItemText(d, IDC_CONNECT_ENCRYPTION));
        SendDlgItemMessageW(d, IDC_CONNECT_ENCRYPTION, CB_SETCURSEL, 1, 0);
        EXPECT_FALSE(IsItemChecked(d, IDC_CONNECT_SAVE_HOST) ||
                     IsItemChecked(d, IDC_CONNECT_ANONYMOUS));
        EXPECT_FALSE(IsItemEnabled(d, IDC_CONNECT_SAVE_PASSWORD));

        SetDlgItemTextW(d, IDC_CONNECT_HOST, L"ftp.example.org");
        SetDlgItemTextW(d, IDC_CONNECT_PORT, L"2121");
        Click(d, IDC_CONNECT_SAVE_HOST);  // no name yet: the host becomes the name
        EXPECT_EQ(L"ftp.example.org", ItemText(d, IDC_CONNECT_SESSION));
        EXPECT_TRUE(IsItemEnabled(d, IDC_CONNECT_SAVE_PASSWORD));
        Click(d, IDC_CONNECT_ANONYMOUS);
        EXPECT_EQ(L"Anonymous", ItemText(d, IDC_CONNECT_USER));
        EXPECT_EQ(L"guest@example.org", ItemText(d, IDC_CONNECT_PASSWORD));
        for (int id : {IDC_CONNECT_USER, IDC_CONNECT_PASSWORD, IDC_CONNECT_SAVE_PASSWORD})
            EXPECT_FALSE(IsItemEnabled(d, id));
        Click(d, IDOK);
    });
    ASSERT_EQ(IDOK, result);
    const SessionInfo& record = dialog.Record();
    EXPECT_STREQ(L"ftp.example.org", record.name);
    EXPECT_STREQ(L"ftp.example.org", record.host);
    EXPECT_STREQ(L"Anonymous", record.user);
    EXPECT_STREQ(L"guest@example.org", record.password);
    EXPECT_EQ(2121u, record.port);
    EXPECT_EQ(1u, record.bSaveHost);
    EXPECT_EQ(1u, record.bAnonymous);
    EXPECT_EQ(DWORD(kTlsIfAvailable), record.encryption);
}

TEST_F(ConnectDlgTest, SaveHostKeepsATypedNameAndRefusesAnEmptyOneOrABadPort) {
    std::vector<std::wstring> refusals;
    for (const wchar_t* title : {L"Session name required", L"Port required"})
        driver.On(title, [&](HWND box) {
            refusals.push_back(ItemText(box, 0xFFFF));
            Click(box, IDOK);
        });
    INT_PTR result = Run([](HWND d) {
        Click(d, IDC_CONNECT_SAVE_HOST);  // neither name nor host
        Click(d, IDOK);
        EXPECT_TRUE(IsWindowVisible(d));
        SetDlgItemTextW(d, IDC_CONNECT_SESSION, L"mine");
        SetDlgItemTextW(d, IDC_CONNECT_HOST, L"h");
        SetDlgItemTextW(d, IDC_CONNECT_PORT, L"70000");
        Click(d, IDOK);
        EXPECT_TRUE(IsWindowVisible(d));
        SetDlgItemTextW(d, IDC_CONNECT_PORT, L"");  // empty: the FTP port
        Click(d, IDC_CONNECT_SAVE_HOST);
        Click(d, IDC_CONNECT_SAVE_HOST);
        EXPECT_EQ(L"mine", ItemText(d, IDC_CONNECT_SESSION));
        Click(d, IDOK);
    });
    EXPECT_EQ(IDOK, result);
    EXPECT_EQ((std::vector<std::wstring>{L"Please enter some session name",
                                         L"Please enter a port number up to 65535"}),
              refusals);
    EXPECT_STREQ(L"mine", dialog.Record().name);
    EXPECT_EQ(21u, dialog.Record().port);
}

TEST_F(ConnectDlgTest, PickingASavedSessionShowsItAndCancelKeepsTheRecord) {
    app.sessions.AddIfAbsent(MakeSession(L"work", L"w.example.org", L"Anonymous", 2121, true));
    // "work" was saved before the encryption choice existed.
    SessionInfo home = MakeSession(L"home", L"h.example.org", L"me", 0, false);
    home.encryption = kTlsIfAvailable;
    app.sessions.AddIfAbsent(home);
    dialog.SetSessions(&app.sessions);
    INT_PTR result = Run([](HWND d) {
        HWND box = GetDlgItem(d, IDC_CONNECT_SESSION);
        ASSERT_EQ(2, SendMessageW(box, CB_GETCOUNT, 0, 0));
        SendMessageW(box, CB_SETCURSEL, 1, 0);  // sorted: "work" is second
        SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_CONNECT_SESSION, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(box));
        EXPECT_EQ(L"w.example.org", ItemText(d, IDC_CONNECT_HOST));
        EXPECT_EQ(L"2121", ItemText(d, IDC_CONNECT_PORT));
        EXPECT_TRUE(IsItemChecked(d, IDC_CONNECT_ANONYMOUS));
        EXPECT_EQ(L"Plain FTP (insecure)", ItemText(d, IDC_CONNECT_ENCRYPTION));
        for (int id : {IDC_CONNECT_USER, IDC_CONNECT_PASSWORD, IDC_CONNECT_SAVE_PASSWORD})
            EXPECT_FALSE(IsItemEnabled(d, id));
        SendMessageW(box, CB_SETCURSEL, 0, 0);
        SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_CONNECT_SESSION, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(box));
        EXPECT_EQ(L"me", ItemText(d, IDC_CONNECT_USER));
        EXPECT_EQ(L"Use explicit FTP over TLS if available", ItemText(d, IDC_CONNECT_ENCRYPTION));
        EXPECT_TRUE(IsItemEnabled(d, IDC_CONNECT_SAVE_PASSWORD));
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_STREQ(L"", dialog.Record().host);
}
