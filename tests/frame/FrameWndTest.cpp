#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "browsers/BrowseWnd.h"
#include "FrameProbe.h"
#include "resources/resource.h"
#include "support/DialogDriver.h"
#include "support/FrameTest.h"
#include "support/TestSession.h"

// A plain browse window standing in for a connection's view.
class StandInView : public BrowseWnd {
  public:
    explicit StandInView(const wchar_t* name) : name(name) {}
    const wchar_t* GetSessionName() override { return name; }
    const wchar_t* GetHost() override { return L"host.example"; }
    bool IsIdle() override { return !busy; }

    const wchar_t* name;
    bool busy = false;
};

// A frame created as start-up creates it, with three saved sessions.
class FrameWndTest : public FrameTest {
  protected:
    void SetUp() override {
        for (const wchar_t* name : {L"alpha", L"beta", L"New Host"})
            app.sessions.AddIfAbsent(MakeSession(name));
        FrameTest::SetUp();
    }

    StandInView* AddView(const wchar_t* name) {
        auto* view = new StandInView(name);
        view->CreateBrowser(L"BrowseWnd", WS_CHILD, 0, 0, 10, 10, &frame);
        frame.AddView(view, name[0] ? name : view->GetHost());
        return view;
    }
};

TEST_F(FrameWndTest, ViewsSwitchTheTitleAndMenusFollowAndOnlyHeldViewsClose) {
    EXPECT_EQ(L"Ftp [Local]", Title(frame));
    EXPECT_GT(frame.GetLocalView()->GetFileList().GetItemCount(), 0);
    HMENU context = frame.GetLocalView()->GetContextMenu();
    EXPECT_EQ(L"-Upload To", ItemTexts(context).at(2));  // nothing to upload to yet
    frame.PrepareMenuPopup(Popup(frame, IDM_FILE), IDM_FILE, 0);
    EXPECT_EQ((Texts{L"-Current View", L"-"}), ItemTexts(FileSubmenu(frame, 1)));

    AddView(L"");  // a connection without a session name goes by its host
    StandInView* alpha = AddView(L"alpha");
    StandInView* beta = AddView(L"beta");
    EXPECT_EQ(L"Ftp [beta]", Title(frame));
    EXPECT_FALSE(IsWindowVisible(alpha->GetHandle()));

    HMENU view = Popup(frame, IDM_VIEW);
    frame.HandleCommand(GetMenuItemID(view, 1), 0, 0);
    EXPECT_EQ(L"Ftp [alpha]", Title(frame));
    frame.PrepareMenuPopup(view, IDM_VIEW, 0);
    EXPECT_EQ(
        (Texts{L"beta", L"+alpha", L"host.example", L"Local", L"-", L"Refresh", L"Options..."}),
        ItemTexts(view));

    beta->busy = true;
    frame.HandleCommand(IDM_LOCAL, 0, 0);
    EXPECT_EQ(L"Ftp [Local]", Title(frame));
    EXPECT_FALSE(IsWindowVisible(alpha->GetHandle()));
    frame.PrepareMenuPopup(view, IDM_VIEW, 0);
    EXPECT_EQ(
        (Texts{L"beta", L"alpha", L"host.example", L"+Local", L"-", L"Refresh", L"Options..."}),
        ItemTexts(view));
    // Upload To offers the connections, newest first, a busy one greyed.
    context = frame.GetLocalView()->GetContextMenu();
    EXPECT_EQ(L"Upload To", ItemTexts(context).at(2));
    EXPECT_EQ((Texts{L"-beta", L"alpha", L"host.example"}), ItemTexts(GetSubMenu(context, 2)));

    // Hidden views are resized with the frame.
    frame.Move(0, 0, 280, 300, true);
    RECT client, hidden;
    frame.GetClientRect(&client);
    beta->GetClientRect(&hidden);
    EXPECT_TRUE(EqualRect(&client, &hidden));

    // The ways of closing a view run against real logins in ConnectTest; here what
    // they must never close: the local view, or a view the frame does not hold.
    frame.HandleCommand(IDM_CURRENT_VIEW, 0, 0);
    for (WPARAM gone : {WPARAM(alpha), WPARAM(frame.GetLocalView()), WPARAM(12345)})
        frame.Send(FrameWnd::kCloseViewMessage, gone, 0);
    EXPECT_EQ((Texts{L"beta", L"host.example", L"+Local", L"-", L"Refresh", L"Options..."}),
              ItemTexts(Popup(frame, IDM_VIEW)));
    EXPECT_TRUE(IsWindowVisible(frame.GetLocalView()->GetHandle()));
}

TEST_F(FrameWndTest, RemovingOneSessionRemovesOnlyItsItemsAndAllSessionsAsksFirst) {
    EXPECT_EQ((Texts{L"New Host", L"-", L"New Host", L"beta", L"alpha"}),
              ItemTexts(FileSubmenu(frame, 0)));
    UINT beta = GetMenuItemID(FileSubmenu(frame, 2), 3);
    frame.HandleCommand(beta, 0, 0);
    frame.HandleCommand(beta, 0, 0);  // a stale id is ignored
    // A session named like a fixed item leaves the fixed item alone.
    frame.HandleCommand(GetMenuItemID(FileSubmenu(frame, 2), 2), 0, 0);
    EXPECT_EQ((Texts{L"New Host", L"-", L"alpha"}), ItemTexts(FileSubmenu(frame, 0)));
    EXPECT_EQ(static_cast<UINT>(IDM_NEW_HOST), GetMenuItemID(FileSubmenu(frame, 0), 0));
    EXPECT_EQ((Texts{L"All Sessions", L"-", L"alpha"}), ItemTexts(FileSubmenu(frame, 2)));

    for (int answer : {IDNO, IDYES}) {
        DialogDriver answerer(Pressing({answer}));
        frame.HandleCommand(IDM_ALL_SESSIONS, 0, 0);
        EXPECT_EQ(L"Are you sure you want to remove ALL saved sessions?", answerer.LastText());
        EXPECT_EQ(answer == IDNO ? 1u : 0u, app.sessions.GetCount());
    }
    EXPECT_EQ((Texts{L"New Host", L"-"}), ItemTexts(FileSubmenu(frame, 0)));
    EXPECT_EQ((Texts{L"All Sessions", L"-"}), ItemTexts(FileSubmenu(frame, 2)));
}
