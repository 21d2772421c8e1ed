#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "dialogs/ConnectDlg.h"
#include "resources/resource.h"
#include "support/DialogDriver.h"
#include "support/GuiApp.h"
#include "support/TestSession.h"

namespace {

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

// A new host: empty on the FTP port; "Save Host" names the session after the
// host but keeps a typed name; an empty name or a bad port is refused and the
// dialog stays; "Anonymous" fills the login with the options' e-mail address.
TEST_F(ConnectDlgTest, NewHostIsCheckedBeforeItConnects) {
    app.options.SetAnonymousPassword(L"guest@example.org");
    std::vector<std::wstring> refusals;
    for (const wchar_t* title : {L"Session name required", L"Port required"})
        driver.On(title, [&](HWND box) {
            refusals.push_back(ItemText(box, 0xFFFF));
            Click(box, IDOK);
        });
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
        Click(d, IDC_CONNECT_SAVE_HOST);  // neither name nor host
        Click(d, IDOK);
        EXPECT_TRUE(IsWindowVisible(d));

        SetDlgItemTextW(d, IDC_CONNECT_HOST, L"ftp.example.org");
        SetDlgItemTextW(d, IDC_CONNECT_PORT, L"70000");
        Click(d, IDC_CONNECT_SAVE_HOST);
        Click(d, IDC_CONNECT_SAVE_HOST);  // no name yet: the host becomes the name
        EXPECT_EQ(L"ftp.example.org", ItemText(d, IDC_CONNECT_SESSION));
        EXPECT_TRUE(IsItemEnabled(d, IDC_CONNECT_SAVE_PASSWORD));
        Click(d, IDOK);
        EXPECT_TRUE(IsWindowVisible(d));
        SetDlgItemTextW(d, IDC_CONNECT_SESSION, L"mine");
        SetDlgItemTextW(d, IDC_CONNECT_PORT, L"");  // empty: the FTP port
        Click(d, IDC_CONNECT_SAVE_HOST);
        Click(d, IDC_CONNECT_SAVE_HOST);
        EXPECT_EQ(L"mine", ItemText(d, IDC_CONNECT_SESSION));

        Click(d, IDC_CONNECT_ANONYMOUS);
        EXPECT_EQ(L"Anonymous", ItemText(d, IDC_CONNECT_USER));
        EXPECT_EQ(L"guest@example.org", ItemText(d, IDC_CONNECT_PASSWORD));
        for (int id : {IDC_CONNECT_USER, IDC_CONNECT_PASSWORD, IDC_CONNECT_SAVE_PASSWORD})
            EXPECT_FALSE(IsItemEnabled(d, id));
        Click(d, IDOK);
    });
    ASSERT_EQ(IDOK, result);
    EXPECT_EQ((std::vector<std::wstring>{L"Please enter some session name",
                                         L"Please enter a port number up to 65535"}),
              refusals);
    const SessionInfo& record = dialog.Record();
    EXPECT_EQ((std::vector<std::wstring>{L"mine", L"ftp.example.org", L"Anonymous",
                                         L"guest@example.org"}),
              (std::vector<std::wstring>{record.name, record.host, record.user, record.password}));
    EXPECT_EQ((std::vector<DWORD>{21, 1, 1, kTlsIfAvailable}),
              (std::vector<DWORD>{record.port, record.bSaveHost, record.bAnonymous,
                                  DWORD(record.encryption)}));
}

// The dialog opens on an anonymous session, as File > Connect opens it: its
// login is the options' e-mail address, since no password is saved for it.
TEST_F(ConnectDlgTest, SavedSessionsShowWhatFitsThemAndCancelKeepsTheRecord) {
    app.options.SetAnonymousPassword(L"me@example.org");
    SessionInfo anonymous = MakeSession(L"work", L"w.example.org", 2121);
    anonymous.bSaveHost = anonymous.bAnonymous = 1;
    app.sessions.AddIfAbsent(anonymous);
    // "work" was saved before the encryption choice existed.
    SessionInfo home = MakeSession(L"home", L"h.example.org", 0);
    CopyText(home.user, L"me");
    CopyText(home.password, L"pw");
    home.bSaveHost = 1;
    home.encryption = kTlsIfAvailable;
    app.sessions.AddIfAbsent(home);
    dialog.SetSessions(&app.sessions);
    dialog.Record() = anonymous;
    INT_PTR result = Run([](HWND d) {
        auto pick = [d](int index) {
            HWND box = GetDlgItem(d, IDC_CONNECT_SESSION);
            SendMessageW(box, CB_SETCURSEL, index, 0);  // sorted: "home", "work"
            SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_CONNECT_SESSION, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(box));
        };
        for (int index : {-1, 0, 1}) {
            if (index >= 0) pick(index);
            bool isAnonymous = index != 0;
            EXPECT_EQ(isAnonymous ? L"2121" : L"0", ItemText(d, IDC_CONNECT_PORT));
            EXPECT_EQ(isAnonymous ? L"Anonymous" : L"me", ItemText(d, IDC_CONNECT_USER));
            EXPECT_EQ(isAnonymous ? L"me@example.org" : L"pw", ItemText(d, IDC_CONNECT_PASSWORD));
            EXPECT_EQ(
                isAnonymous ? L"Plain FTP (insecure)" : L"Use explicit FTP over TLS if available",
                ItemText(d, IDC_CONNECT_ENCRYPTION));
            for (int id : {IDC_CONNECT_USER, IDC_CONNECT_PASSWORD, IDC_CONNECT_SAVE_PASSWORD})
                EXPECT_EQ(!isAnonymous, IsItemEnabled(d, id));
        }
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_STREQ(L"", dialog.Record().password);
}

// Tab visits every field that can take it once, top to bottom and left to
// right, and comes round again: whatever the template adds keeps to that.
TEST_F(ConnectDlgTest, TabReachesEveryFieldInReadingOrder) {
    Run([](HWND d) {
        std::vector<std::pair<std::pair<LONG, LONG>, HWND>> stops;
        for (HWND child = GetWindow(d, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (!(GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP) || !IsWindowEnabled(child))
                continue;
            RECT at;
            GetWindowRect(child, &at);
            stops.push_back({{at.top, at.left}, child});
        }
        std::sort(stops.begin(), stops.end());
        ASSERT_GE(stops.size(), 9u);
        for (size_t i = 0; i < stops.size(); ++i)
            EXPECT_EQ(stops[(i + 1) % stops.size()].second,
                      GetNextDlgTabItem(d, stops[i].second, FALSE))
                << GetDlgCtrlID(stops[i].second);
        Click(d, IDCANCEL);
    });
}

// The server's time offset: empty means not given; whole hours within the
// zones there are, with or without a sign; anything else is refused and the
// dialog stays. A session's offset shows as it was given.
TEST_F(ConnectDlgTest, TheServersTimeOffsetIsWholeHoursOrNothing) {
    int refusals = 0;
    driver.On(L"Server time offset", [&refusals](HWND box) {
        ++refusals;
        Click(box, IDOK);
    });
    const LONG kRefused = 99;
    // clang-format off
    const std::pair<const wchar_t*, LONG> typed[] = {
        {L"", kNoServerOffset}, {L"0", 0}, {L"+2", 2}, {L" -12 ", -12}, {L"14", 14},
        {L"15", kRefused}, {L"-13", kRefused}, {L"+", kRefused}, {L"1.5", kRefused},
        {L"2 2", kRefused}, {L"99999999999", kRefused}};
    // clang-format on
    for (const auto& [text, offset] : typed) {
        int before = refusals;
        bool stayed = false;
        Run([&, text = text](HWND d) {
            SetDlgItemTextW(d, IDC_CONNECT_HOST, L"h.example.org");
            SetDlgItemTextW(d, IDC_CONNECT_TIME_OFFSET, text);
            Click(d, IDOK);
            if ((stayed = IsWindowVisible(d))) Click(d, IDCANCEL);
        });
        EXPECT_EQ(offset == kRefused, stayed) << text;
        EXPECT_EQ(before + (offset == kRefused), refusals) << text;
        EXPECT_TRUE(stayed || offset == dialog.Record().serverTimeOffset) << text;
    }
    for (const auto& shown : {std::make_pair(LONG(-5), L"-5"), std::make_pair(LONG(3), L"+3"),
                              std::make_pair(kNoServerOffset, L"")}) {
        SessionInfo session = MakeSession(L"s", L"h.example.org");
        session.serverTimeOffset = shown.first;
        Run([&](HWND d) {
            dialog.ShowRecord(session);
            EXPECT_EQ(shown.second, ItemText(d, IDC_CONNECT_TIME_OFFSET));
            Click(d, IDCANCEL);
        });
    }
}

// SFTP greys the encryption choice and enables the key file. The port follows
// the protocol where it is the other protocol's default or not given, never a
// port the user typed. A saved SFTP session shows as such; the protocol and
// the key file reach the record, and an empty port is SFTP's own.
TEST_F(ConnectDlgTest, TheProtocolChoosesThePortAndTheLoginFields) {
    dialog.Record() = MakeSession(L"keyed", L"s.example.org", 2222);
    dialog.Record().protocol = kProtocolSftp;
    CopyText(dialog.Record().keyFile, L"C:\\keys\\id_ecdsa");
    // The port shown, the protocol then chosen, the port shown after.
    const std::tuple<const wchar_t*, DWORD, const wchar_t*> cases[] = {
        {L"21", kProtocolSftp, L"22"},    {L"22", kProtocolFtp, L"21"},
        {L"0", kProtocolFtp, L"21"},      {L"2222", kProtocolSftp, L"2222"},
        {L"2121", kProtocolFtp, L"2121"}, {L"21", kProtocolFtp, L"21"},
        {L"22", kProtocolSftp, L"22"},    {L"", kProtocolSftp, L"22"},
    };
    INT_PTR result = Run([&](HWND d) {
        RECT shown = {};
        GetWindowRect(d, &shown);  // a 240x320 screen shows it whole
        EXPECT_TRUE(shown.right - shown.left <= 240 && shown.bottom - shown.top <= 320);
        EXPECT_EQ(L"SFTP (SSH)", ItemText(d, IDC_CONNECT_PROTOCOL));
        EXPECT_EQ(L"C:\\keys\\id_ecdsa", ItemText(d, IDC_CONNECT_KEY_FILE));
        HWND box = GetDlgItem(d, IDC_CONNECT_PROTOCOL);
        for (const auto& [port, protocol, shown] : cases) {
            SetItemText(d, IDC_CONNECT_PORT, port);
            SendMessageW(box, CB_SETCURSEL, protocol, 0);
            SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_CONNECT_PROTOCOL, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(box));
            EXPECT_EQ(shown, ItemText(d, IDC_CONNECT_PORT)) << port;
            bool sftp = protocol == kProtocolSftp;
            EXPECT_EQ((std::vector<bool>{!sftp, sftp, sftp}),
                      (std::vector<bool>{IsItemEnabled(d, IDC_CONNECT_ENCRYPTION),
                                         IsItemEnabled(d, IDC_CONNECT_KEY_FILE),
                                         IsItemEnabled(d, IDC_CONNECT_KEY_BROWSE)}));
        }
        SetItemText(d, IDC_CONNECT_PORT, L"");
        SetItemText(d, IDC_CONNECT_KEY_FILE, L"C:\\keys\\id_ed25519");
        Click(d, IDOK);
    });
    ASSERT_EQ(IDOK, result);
    const SessionInfo& record = dialog.Record();
    EXPECT_EQ((std::vector<DWORD>{kProtocolSftp, 22}),
              (std::vector<DWORD>{record.protocol, record.port}));
    EXPECT_STREQ(L"C:\\keys\\id_ed25519", record.keyFile);
}
