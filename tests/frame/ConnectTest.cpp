#include <algorithm>

#include "browsers/FtpBrowseWnd.h"
#include "FrameProbe.h"
#include "support/DialogDriver.h"
#include "support/FtpFixture.h"
#include "support/FrameTest.h"
#include "support/ScratchKey.h"
#include "app/FtpClientApp.h"

namespace {

// What the user types into "Connect...".
struct Login {
    std::wstring session, host, port, user, password;
    bool saveHost = false;
    int encryption = 2;  // the box's entry: plain FTP, which the fixture's main server speaks
};

// Drives the frame's connect commands through its real dialogs against the
// fixture server; every dialog and message box shown is noted by the driver.
class ConnectFixture {
  public:
    explicit ConnectFixture(FrameWnd& frame) : frame(frame) {}

    // The fixture's login to the main server, or the one given.
    Login Valid(const std::wstring& session, const FixtureServer* on = nullptr) const {
        const FixtureServer& to = on ? *on : server;
        return {session, to.host, std::to_wstring(to.port), to.user, to.password};
    }

    void TypeAndConnect(const Login& login) {
        driver.On(L"Connect...", [login](HWND d) {
            SetDlgItemTextW(d, IDC_CONNECT_SESSION, login.session.c_str());
            SetDlgItemTextW(d, IDC_CONNECT_HOST, login.host.c_str());
            SetDlgItemTextW(d, IDC_CONNECT_PORT, login.port.c_str());
            SetDlgItemTextW(d, IDC_CONNECT_USER, login.user.c_str());
            SetDlgItemTextW(d, IDC_CONNECT_PASSWORD, login.password.c_str());
            SendDlgItemMessageW(d, IDC_CONNECT_ENCRYPTION, CB_SETCURSEL, login.encryption, 0);
            // The password is kept only on request; the restart below logs in with it.
            if (login.saveHost) Pressing({IDC_CONNECT_SAVE_HOST, IDC_CONNECT_SAVE_PASSWORD})(d);
            Click(d, IDOK);
        });
        frame.HandleCommand(IDM_NEW_HOST, 0, 0);
    }

    FrameWnd& frame;
    FixtureServer server;
    DialogDriver driver{Pressing({IDOK})};  // message boxes are read and closed
};

class ConnectTest : public FrameTest, public ConnectFixture {
  protected:
    ConnectTest() : ConnectFixture(FrameTest::frame) {}
    using FrameTest::frame;
    void SetUp() override {
        ASSERT_TRUE(server.Load()) << kFixtureMissing;
        FrameTest::SetUp();
    }
};

// How many passwords the counting server has taken so far.
int PasswordsLogged() {
    std::vector<LoggedCommand> log = CountingServerLog();
    return static_cast<int>(std::count_if(log.begin(), log.end(),
                                          [](const LoggedCommand& c) { return c.verb == "PASS"; }));
}

}  // namespace

// Real logins become views; the title and the menus follow the view shown, and each way of
// closing one falls back.
TEST_F(ConnectTest, LoginsBecomeViewsAndEachWayOfClosingFallsBack) {
    EXPECT_EQ(L"Ftp [Local]", Title(frame));
    EXPECT_GT(frame.GetLocalView()->GetFileList().GetItemCount(), 0);
    HMENU context = frame.GetLocalView()->GetContextMenu();
    EXPECT_EQ(L"-Upload To", ItemTexts(context).at(2));  // nothing to upload to yet
    EXPECT_EQ((Texts{L"-Current View", L"-"}), OpenedMenu(frame, IDM_FILE, 1));

    TypeAndConnect(Valid(L"one"));
    auto* one = dynamic_cast<FtpBrowseWnd*>(frame.GetCurrentView());
    ASSERT_NE(nullptr, one);
    ASSERT_TRUE(WaitUntilIdle(*one));
    EXPECT_GT(one->GetFileList().GetItemCount(), 0);
    TypeAndConnect(Valid(L""));  // no session name: the menus carry the host
    EXPECT_EQ(L"Ftp [] (not encrypted)", Title(frame));
    EXPECT_FALSE(IsWindowVisible(one->GetHandle()));
    Login refused = Valid(L"bad");  // a failed login leaves no trace
    refused.password = L"wrong";
    TypeAndConnect(refused);
    EXPECT_EQ(L"Can't connect\n530 Authentication failed.", driver.LastText());
    EXPECT_TRUE(IsWindowEnabled(frame.GetHandle()));
    TypeAndConnect(Valid(L"three"));
    ASSERT_TRUE(WaitUntilIdle(*frame.GetCurrentView()));
    EXPECT_EQ((Texts{L"Current View", L"-", L"three", server.host, L"one"}),
              OpenedMenu(frame, IDM_FILE, 1));
    HMENU view = Popup(frame, IDM_VIEW);
    frame.HandleCommand(GetMenuItemID(view, 2), 0, 0);
    EXPECT_EQ(L"Ftp [one] (not encrypted)", Title(frame));
    EXPECT_EQ(
        (Texts{L"three", server.host, L"+one", L"Local", L"-", L"Refresh\tF5", L"Options..."}),
        OpenedMenu(frame, IDM_VIEW));
    frame.HandleCommand(IDM_LOCAL, 0, 0);
    EXPECT_EQ(L"+Local", OpenedMenu(frame, IDM_VIEW).at(3));
    // Upload To offers the connections, newest first (a busy one greyed: TransferViewTest).
    context = frame.GetLocalView()->GetContextMenu();
    EXPECT_EQ((Texts{L"three", server.host, L"one"}), ItemTexts(GetSubMenu(context, 2)));

    // Hidden views are resized with the frame.
    frame.Move(0, 0, 280, 300, true);
    RECT client, hidden;
    frame.GetClientRect(&client);
    one->GetClientRect(&hidden);
    EXPECT_TRUE(EqualRect(&client, &hidden));

    frame.HandleCommand(GetMenuItemID(view, 0), 0, 0);

    frame.HandleCommand(IDM_CURRENT_VIEW, 0, 0);  // the view opened before comes back
    EXPECT_EQ(L"Ftp [] (not encrypted)", Title(frame));
    frame.HandleCommand(GetMenuItemID(FileSubmenu(frame, 1), 2), 0, 0);  // by its item
    EXPECT_EQ(L"Ftp [Local]", Title(frame));

    // A hidden view whose server hangs up again after the new login says so
    // once and stays, with its rows; F5 logs in again without a word.
    int rows = one->GetFileList().GetItemCount();
    one->OpenFolder(L"hang-up");
    ASSERT_TRUE(WaitUntilIdle(*one));
    EXPECT_EQ(1, driver.Count(L"Error"));
    EXPECT_EQ(L"Lost the connection to " + server.host, driver.LastText());
    EXPECT_EQ(rows, one->GetFileList().GetItemCount());
    one->Refresh();
    ASSERT_TRUE(WaitUntilIdle(*one));
    EXPECT_EQ(1, driver.Count(L"Error"));
    EXPECT_EQ(rows, one->GetFileList().GetItemCount());
    EXPECT_EQ((Texts{L"one", L"+Local", L"-", L"Refresh\tF5", L"Options..."}),
              ItemTexts(Popup(frame, IDM_VIEW)));
}

// The program's own registry key, as in a real run: saved and removed at once, read at start.
TEST(ConnectSessions, SavedSessionsFillTheMenusAndOutliveARestart) {
    ScratchKey key(L"Software\\Ostrel\\Corvane");
    std::wstring host;
    {
        StartedApp app;
        ASSERT_TRUE(app.Startup());
        ConnectFixture user(app.frame);
        ASSERT_TRUE(user.server.Load()) << kFixtureMissing;
        host = user.server.host;
        Login saved = user.Valid(L"");  // "Save Host" names it after the host
        saved.saveHost = true;
        user.TypeAndConnect(saved);
        saved.session = L"work";
        user.TypeAndConnect(saved);
        user.TypeAndConnect(saved);   // the same name again is not added twice
        saved.session = L"New Host";  // named like a fixed item, which its removal leaves alone
        user.TypeAndConnect(saved);
        EXPECT_EQ(3, key.CountSubkeys(L"Sessions"));
        EXPECT_EQ((Texts{L"New Host", L"-", L"New Host", L"work", host}),
                  ItemTexts(FileSubmenu(app.frame, 0)));
        // Remove Session: the host's, then the one named like the fixed item.
        app.frame.HandleCommand(GetMenuItemID(FileSubmenu(app.frame, 2), 4), 0, 0);
        app.frame.HandleCommand(GetMenuItemID(FileSubmenu(app.frame, 2), 2), 0, 0);
        EXPECT_EQ((Texts{L"New Host", L"-", L"work"}), ItemTexts(FileSubmenu(app.frame, 0)));
        EXPECT_EQ(static_cast<UINT>(IDM_NEW_HOST), GetMenuItemID(FileSubmenu(app.frame, 0), 0));
        EXPECT_EQ((Texts{L"All Sessions", L"-", L"work"}), ItemTexts(FileSubmenu(app.frame, 2)));
    }  // killed rather than ended: no exit writes anything
    EXPECT_EQ(1, key.CountSubkeys(L"Sessions"));

    StartedApp app;
    ASSERT_TRUE(app.Startup());
    ConnectFixture user(app.frame);
    ASSERT_TRUE(user.server.Load());
    user.driver.On(L"Connect...", [&](HWND d) {
        EXPECT_EQ(host, ItemText(d, IDC_CONNECT_HOST));
        Click(d, IDC_CONNECT_SAVE_PASSWORD);  // "Save Host" stays: the change is kept
        Click(d, IDOK);
    });
    app.frame.HandleCommand(GetMenuItemID(FileSubmenu(app.frame, 0), 2), 0, 0);
    EXPECT_EQ(L"Ftp [work] (not encrypted)", Title(app.frame));
    EXPECT_EQ(0u, key.GetDword(L"Sessions\\work", L"bSavePassword"));

    for (int answer : {IDNO, IDYES}) {
        user.driver.On(L"Error", Pressing({answer}));
        app.frame.HandleCommand(IDM_ALL_SESSIONS, 0, 0);
        EXPECT_EQ(L"Are you sure you want to remove ALL saved sessions?", user.driver.LastText());
        EXPECT_EQ(answer == IDNO ? 1 : 0, key.CountSubkeys(L"Sessions"));
    }
    EXPECT_EQ((Texts{L"New Host", L"-"}), ItemTexts(FileSubmenu(app.frame, 0)));
    EXPECT_EQ((Texts{L"All Sessions", L"-"}), ItemTexts(FileSubmenu(app.frame, 2)));
}

// "If available" meets a server that refuses TLS: the question comes before
// the password; No sends none and leaves no view and no message; Yes logs in.
// Yes with "Don't ask again" is kept in the saved session, whose next login
// (and the view's own new logins) ask nothing; an anonymous login never asks.
TEST_F(ConnectTest, PasswordsGoOutInTheClearOnlyAfterYes) {
    FixtureServer counting;
    ASSERT_TRUE(counting.Load(Fixture::kCounting)) << kFixtureMissing;
    Login login = Valid(L"clear", &counting);
    login.saveHost = true;
    login.encryption = 1;  // "if available"
    std::wstring question;
    int passwordsAtQuestion = -1;
    auto answer = [&](int button, bool dontAsk) {
        driver.On(L"Not encrypted", [&, button, dontAsk](HWND d) {
            question = ItemText(d, IDC_PLAIN_LOGIN_QUESTION);
            passwordsAtQuestion = PasswordsLogged();
            EXPECT_EQ(IDNO, LOWORD(SendMessageW(d, DM_GETDEFID, 0, 0)));
            if (dontAsk) Click(d, IDC_PLAIN_LOGIN_DONT_ASK);
            Click(d, button);
        });
    };
    int before = PasswordsLogged();
    answer(IDNO, true);
    TypeAndConnect(login);
    EXPECT_EQ(counting.host +
                  L" does not offer encryption. Send the user name and password "
                  L"unencrypted?",
              question);
    EXPECT_EQ(before, passwordsAtQuestion);
    EXPECT_EQ(before, PasswordsLogged());
    EXPECT_EQ(L"Ftp [Local]", Title(frame));
    EXPECT_EQ(0, driver.Count(L"Failed"));

    answer(IDYES, true);
    TypeAndConnect(login);
    EXPECT_EQ(before, passwordsAtQuestion);
    EXPECT_EQ(before + 1, PasswordsLogged());
    EXPECT_EQ(L"Ftp [clear] (not encrypted)", Title(frame));
    const SessionInfo* saved = GetApp()->sessions.FindByName(L"clear");
    ASSERT_NE(nullptr, saved);
    EXPECT_EQ(1u, saved->bPlainLogin);

    // The saved session and the view's own logins ask no more.
    auto* view = dynamic_cast<FtpBrowseWnd*>(frame.GetCurrentView());
    ASSERT_NE(nullptr, view);
    ASSERT_TRUE(WaitUntilIdle(*view));
    view->GetEngine().Disconnect();
    view->Refresh();
    ASSERT_TRUE(WaitUntilIdle(*view));
    EXPECT_GT(view->GetFileList().GetItemCount(), 0);
    driver.On(L"Connect...", Pressing({IDOK}));
    frame.HandleCommand(GetMenuItemID(FileSubmenu(frame, 0), 2), 0, 0);
    Login anonymous = login;
    anonymous.session = L"";
    anonymous.user = L"anonymous";
    anonymous.saveHost = false;
    TypeAndConnect(anonymous);
    EXPECT_EQ(2, driver.Count(L"Not encrypted"));
    EXPECT_EQ(L"Ftp [] (not encrypted)", Title(frame));
}
