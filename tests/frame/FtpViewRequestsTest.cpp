#include <algorithm>

#include "FrameProbe.h"
#include "resources/resource.h"
#include "support/DialogDriver.h"
#include "support/FtpViewTest.h"

namespace {

int ticks = 0;
void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { ++ticks; }

// What a double-click on the selected row sends the view.
void DoubleClick(BrowseWnd& view) {
    NMHDR header = {view.GetFileList().GetHandle(), 0, static_cast<UINT>(NM_DBLCLK)};
    view.Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&header));
}

void PressKey(BrowseWnd& view, WORD key) {
    SendMessageW(view.GetFileList().GetHandle(), WM_KEYDOWN, key, 0);
}

// Every message box the view shows is noted and closed.
class FtpViewRequestsTest : public FtpViewTest {
  protected:
    void SetUp() override {
        FtpViewTest::SetUp();
        folder = L"/" + TestFolderName();
        MakeFile(L"sub\\inner.txt");
        MakeFile(L"a.txt");
        view->Refresh();
        Wait();
    }

    // A second view in the frame, in the test's folder on the given server, once its listing is in.
    FtpBrowseWnd* OpenView(const FixtureServer& on, const wchar_t* name, INTERNET_PORT port = 0) {
        auto* opened = new FtpBrowseWnd;
        EXPECT_TRUE(opened->CreateBrowser(L"BrowseWnd", WS_CHILD, 0, 0, 320, 300, &frame));
        EXPECT_TRUE(opened->Connect(on.host.c_str(), on.user.c_str(), on.password.c_str(), name,
                                    port ? port : on.port));
        opened->SetCurrentPath(folder.c_str());  // a path from the root needs no PWD
        frame.AddView(opened, name);             // which lists it
        EXPECT_TRUE(WaitUntilIdle(*opened));
        return opened;
    }

    std::wstring folder;
    DialogDriver driver{Pressing({IDOK})};
};

}  // namespace

// The dripping server answers all but PWD, which it drips without end: a
// folder opened by name waits there, since the server resolves the name.
TEST_F(FtpViewRequestsTest, AWaitingRequestLeavesTheWindowFreeAndEscGivesItUp) {
    FtpBrowseWnd* drip = OpenView(server, L"drip", FixturePort("CORVANE_FTP_DRIPPING_PORT"));
    Texts before = RowNames(drip->GetFileList());
    ASSERT_EQ(3u, before.size());  // "..", "sub" and "a.txt"

    drip->OpenFolder(L"sub");
    EXPECT_FALSE(drip->IsIdle());
    EXPECT_EQ(L"Listing " + folder + L"/sub...", drip->GetBusyStatus());
    // The thread handles its messages meanwhile, and the wait cursor shows
    // over the list, not elsewhere. (A busy view's greyed commands: TransferViewTest.)
    ticks = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, Tick);
    EXPECT_TRUE(PumpUntil([] { return ticks >= 3; }));
    KillTimer(nullptr, timer);
    EXPECT_FALSE(drip->IsIdle());
    EXPECT_TRUE(drip->Send(WM_SETCURSOR, WPARAM(drip->GetFileList().GetHandle()), HTCLIENT));
    EXPECT_EQ(LoadCursorW(nullptr, IDC_WAIT), GetCursor());
    EXPECT_FALSE(drip->Send(WM_SETCURSOR, WPARAM(drip->GetPathBox().GetHandle()), HTCLIENT));

    // Esc: the view is as it was at once; the next request logs in afresh.
    PressKey(*drip, VK_ESCAPE);
    EXPECT_EQ(L"", drip->GetBusyStatus());
    EXPECT_EQ(before, RowNames(drip->GetFileList()));
    EXPECT_EQ(folder, drip->GetCurrentPath());
    ASSERT_TRUE(WaitUntilIdle(*drip));
    EXPECT_EQ(before, RowNames(drip->GetFileList()));
    ASSERT_TRUE(WriteTestFile(remote + L"\\b.txt", 1, 1));
    PressKey(*drip, VK_F5);
    ASSERT_TRUE(WaitUntilIdle(*drip));
    EXPECT_EQ(4, drip->GetFileList().GetItemCount());
    EXPECT_EQ(folder, drip->GetCurrentPath());

    // Closing a view whose request waits does not wait for it.
    drip->OpenFolder(L"sub");
    frame.HandleCommand(IDM_CURRENT_VIEW, 0, 0);
    EXPECT_EQ(view, frame.GetCurrentView());
    EXPECT_EQ(0, driver.Count()) << driver.LastText();
}

// The server closed the connection behind the view's back (the fixture hangs
// up on a change into "hang-up", as an idle timeout would have): the next
// double-click logs in again and opens the folder without a word. (A view
// whose engine has no connection at all: the failed login's F5 below.)
TEST_F(FtpViewRequestsTest, AClosedConnectionComesBackByItself) {
    EXPECT_NE(S_OK, view->GetEngine().SetCurrentDir(L"hang-up"));
    Select({L"sub"});
    DoubleClick(*view);
    Wait();
    EXPECT_EQ(folder + L"/sub", view->GetCurrentPath());
    EXPECT_EQ((Texts{L"..", L"inner.txt"}), Rows());
    EXPECT_EQ(0, driver.Count());
}

// A server that closes idle connections (many do after 60-300 s; the fixture
// after a few seconds): after the pause a double-click opens the folder as
// if nothing had happened.
TEST_F(FtpViewRequestsTest, AfterTheServersIdleTimeoutADoubleClickStillOpensTheFolder) {
    FixtureServer idle;
    ASSERT_TRUE(idle.Load(Fixture::kIdle)) << kFixtureMissing;
    FtpBrowseWnd* resting = OpenView(idle, L"resting");
    ASSERT_GT(FixtureIdleSeconds(), 0);
    Sleep(static_cast<DWORD>(FixtureIdleSeconds() * 1000 + 1500));
    SelectRows(resting->GetFileList(), {L"sub"});
    DoubleClick(*resting);
    ASSERT_TRUE(WaitUntilIdle(*resting));
    EXPECT_EQ(folder + L"/sub", resting->GetCurrentPath());
    EXPECT_EQ((Texts{L"..", L"inner.txt"}), RowNames(resting->GetFileList()));
    EXPECT_EQ(0, driver.Count()) << driver.LastText();
}

// Servers that close the connection after every second command, or right
// after the login: the login and each listing end with the folder shown or
// with one clear message each, and the view is free again either way.
TEST_F(FtpViewRequestsTest, ServersThatKeepClosingEndInTheListingOrOneClearMessage) {
    for (Fixture hostile : {Fixture::kDropEverySecond, Fixture::kLoginThenClose}) {
        SCOPED_TRACE(static_cast<int>(hostile));
        FixtureServer closing;
        ASSERT_TRUE(closing.Load(hostile)) << kFixtureMissing;
        int before = driver.Count();
        FtpBrowseWnd* shaky = OpenView(closing, L"shaky");
        shaky->Refresh();
        ASSERT_TRUE(WaitUntilIdle(*shaky));
        size_t rows = RowNames(shaky->GetFileList()).size();
        EXPECT_TRUE(rows == 0 || rows == 3) << rows;
        EXPECT_LE(driver.Count() - before, 3);  // the login and two listings
        for (const std::wstring& seen : driver.Seen())
            EXPECT_TRUE(seen.find(L"Can't connect to " + closing.host) != std::wstring::npos ||
                        seen.find(L"Lost the connection to " + closing.host) != std::wstring::npos)
                << seen;
        frame.ShowView(shaky);
        frame.HandleCommand(IDM_CURRENT_VIEW, 0, 0);
    }
}

// A refused new login is told once per attempt; the view keeps its rows and
// its folder, and F5 tries again.
TEST_F(FtpViewRequestsTest, AFailedLoginIsToldAndTheRowsStay) {
    // The engine keeps the last login's settings: a refused one is what the next attempt uses.
    view->GetEngine().Disconnect();
    ASSERT_NE(S_OK, view->GetEngine().Connect(server.host.c_str(), server.user.c_str(), L"wrong",
                                              server.port));
    Texts rows = Rows();
    Select({L"sub"});
    DoubleClick(*view);
    Wait();
    EXPECT_EQ((Texts{L"Error: Can't connect to " + server.host + L"\n530 Authentication failed."}),
              driver.Seen());
    EXPECT_EQ(rows, Rows());
    EXPECT_EQ(folder, view->GetCurrentPath());
    PressKey(*view, VK_F5);
    Wait();
    EXPECT_EQ(2, driver.Count());

    // Once the server takes the login again, F5 comes back to the folder.
    ASSERT_EQ(S_OK, view->GetEngine().Connect(server.host.c_str(), server.user.c_str(),
                                              server.password.c_str(), server.port));
    view->GetEngine().Disconnect();
    PressKey(*view, VK_F5);
    Wait();
    EXPECT_EQ(2, driver.Count());
    EXPECT_EQ(rows, Rows());
}

// A server that refuses PORT and EPRT still lists in active mode: the view
// goes passive by itself and says so once, until its next request.
TEST_F(FtpViewRequestsTest, ActiveModeThatTheServerRefusesFallsBackToPassiveAndSaysSo) {
    ASSERT_FALSE(app.options.GetUsePassive());
    FtpBrowseWnd* active = OpenView(server, L"active", FixturePort("CORVANE_FTP_NO_ACTIVE_PORT"));
    Texts rows = RowNames(active->GetFileList());
    std::sort(rows.begin(), rows.end());
    EXPECT_EQ((Texts{L"..", L"a.txt", L"sub"}), rows);
    EXPECT_EQ(L"Passive mode: the server could not connect back", active->GetStatusText());
    active->Refresh();
    ASSERT_TRUE(WaitUntilIdle(*active));
    EXPECT_EQ(3u, RowNames(active->GetFileList()).size());
    EXPECT_EQ(L"", active->GetStatusText());
    EXPECT_EQ(0, driver.Count());
}
