#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "browsers/LocalBrowseWnd.h"
#include "frame/FrameFixture.h"
#include "resources/resource.h"
#include "support/DialogAnswerer.h"
#include "support/GuiApp.h"
#include "support/ScratchFolder.h"

using FrameWndTest = FrameFixture;

TEST_F(FrameWndTest, StartsWithTheLocalViewListed) {
    EXPECT_EQ(L"Ftp [Local]", Title());
    BrowseWnd* local = frame.GetCurrentView();
    ASSERT_NE(nullptr, local);
    EXPECT_EQ(local, frame.GetLocalView());
    EXPECT_STREQ(L"\\", frame.GetLocalPath());
    EXPECT_GT(local->GetFileList().GetItemCount(), 0);
    EXPECT_TRUE(IsWindowVisible(local->GetHandle()));
    HMENU disconnect = FileSubmenu(1);
    frame.PrepareMenuPopup(Popup(IDM_FILE), IDM_FILE, 0);
    EXPECT_TRUE(IsGrayed(disconnect, 0));
}

TEST_F(FrameWndTest, ViewsSwitchAndTheTitleFollows) {
    FrameTestView* a = AddRemoteView(L"alpha");
    FrameTestView* b = AddRemoteView(L"beta");
    EXPECT_EQ(L"Ftp [beta]", Title());
    EXPECT_EQ(b, frame.GetCurrentView());
    EXPECT_FALSE(IsWindowVisible(a->GetHandle()));
    HMENU view = Popup(IDM_VIEW);
    EXPECT_EQ(
        (std::vector<std::wstring>{L"beta", L"alpha", L"Local", L"", L"Refresh", L"Options..."}),
        ItemTexts(view));
    EXPECT_EQ((std::vector<std::wstring>{L"Current View", L"", L"beta", L"alpha"}),
              ItemTexts(FileSubmenu(1)));
    frame.PrepareMenuPopup(Popup(IDM_FILE), IDM_FILE, 0);
    EXPECT_FALSE(IsGrayed(FileSubmenu(1), 0));

    frame.HandleCommand(IdOf(view, L"alpha"), 0, 0);
    EXPECT_EQ(a, frame.GetCurrentView());
    EXPECT_EQ(L"Ftp [alpha]", Title());
    frame.PrepareMenuPopup(view, IDM_VIEW, 0);
    EXPECT_EQ(static_cast<UINT>(MF_CHECKED), GetMenuState(view, 1, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_EQ(0u, GetMenuState(view, 2, MF_BYPOSITION) & MF_CHECKED);

    frame.HandleCommand(IDM_LOCAL, 0, 0);
    EXPECT_EQ(L"Ftp [Local]", Title());
    EXPECT_TRUE(IsWindowVisible(frame.GetLocalView()->GetHandle()));
    EXPECT_FALSE(IsWindowVisible(a->GetHandle()));
    frame.PrepareMenuPopup(view, IDM_VIEW, 0);
    EXPECT_NE(0u, GetMenuState(view, 2, MF_BYPOSITION) & MF_CHECKED);
    EXPECT_EQ(0u, GetMenuState(view, 1, MF_BYPOSITION) & MF_CHECKED);

    frame.ShowView(b);
    EXPECT_EQ(L"Ftp [beta]", Title());
    PtrList<BrowseWnd*> remote;
    frame.GetRemoteViews(remote);
    ASSERT_EQ(2u, remote.GetCount());
    EXPECT_EQ(a, remote.GetHead()->element);
    EXPECT_EQ(b, remote.GetTail()->element);
}

TEST_F(FrameWndTest, CurrentViewFallsBackToThePreviousAndDisconnectItemToLocal) {
    AddRemoteView(L"A");
    FrameTestView* b = AddRemoteView(L"B");
    AddRemoteView(L"C");
    frame.HandleCommand(IDM_CURRENT_VIEW, 0, 0);
    EXPECT_EQ(b, frame.GetCurrentView());
    EXPECT_EQ(L"Ftp [B]", Title());
    EXPECT_EQ((std::vector<std::wstring>{L"Current View", L"", L"B", L"A"}),
              ItemTexts(FileSubmenu(1)));

    frame.HandleCommand(IdOf(FileSubmenu(1), L"B"), 0, 0);
    EXPECT_EQ(frame.GetLocalView(), frame.GetCurrentView());
    EXPECT_EQ(L"Ftp [Local]", Title());
    EXPECT_EQ((std::vector<std::wstring>{L"A", L"Local", L"", L"Refresh", L"Options..."}),
              ItemTexts(Popup(IDM_VIEW)));

    // With the local view shown "Current View" closes nothing.
    frame.HandleCommand(IDM_CURRENT_VIEW, 0, 0);
    EXPECT_EQ(3, GetMenuItemCount(FileSubmenu(1)));
}

TEST_F(FrameWndTest, DroppedHiddenViewLeavesTheShownOne) {
    FrameTestView* a = AddRemoteView(L"A");
    FrameTestView* b = AddRemoteView(L"B");
    PostMessageW(frame.GetHandle(), FrameWnd::kCloseViewMessage, reinterpret_cast<WPARAM>(a), 0);
    PumpMessages();
    EXPECT_EQ(b, frame.GetCurrentView());
    EXPECT_EQ((std::vector<std::wstring>{L"Current View", L"", L"B"}), ItemTexts(FileSubmenu(1)));

    // Neither the local view nor a view the frame does not hold is closed.
    PostMessageW(frame.GetHandle(), FrameWnd::kCloseViewMessage,
                 reinterpret_cast<WPARAM>(frame.GetLocalView()), 0);
    PostMessageW(frame.GetHandle(), FrameWnd::kCloseViewMessage, 12345, 0);
    PumpMessages();
    EXPECT_TRUE(IsWindow(frame.GetLocalView()->GetHandle()));
    EXPECT_EQ(b, frame.GetCurrentView());

    // The shown view dropping falls back to the local view.
    PostMessageW(frame.GetHandle(), FrameWnd::kCloseViewMessage, reinterpret_cast<WPARAM>(b), 0);
    PumpMessages();
    EXPECT_EQ(L"Ftp [Local]", Title());
    EXPECT_TRUE(IsWindowVisible(frame.GetLocalView()->GetHandle()));
}

TEST_F(FrameWndTest, ResizingResizesHiddenViewsToo) {
    FrameTestView* a = AddRemoteView(L"A");
    frame.HandleCommand(IDM_LOCAL, 0, 0);
    frame.Move(0, 0, 280, 300, true);
    RECT client, hidden, shown;
    frame.GetClientRect(&client);
    a->GetClientRect(&hidden);
    frame.GetLocalView()->GetClientRect(&shown);
    EXPECT_EQ(client.right, hidden.right);
    EXPECT_EQ(client.bottom, hidden.bottom);
    EXPECT_EQ(client.right, shown.right);
}

TEST_F(FrameWndTest, UpAndEditCommandsGoToTheShownView) {
    ScratchFolder scratch;
    scratch.MakeFolder(L"inner");
    BrowseWnd* local = frame.GetLocalView();
    local->SetCurrentPath((scratch.RootedPath() + L"\\inner").c_str());
    frame.HandleCommand(IDM_UP, 0, 0);
    EXPECT_EQ(scratch.RootedPath(), local->GetCurrentPath());
    frame.HandleCommand(IDM_SELECT_ALL, 0, 0);
    EXPECT_EQ(2u, local->GetFileList().GetSelectedCount());

    FrameTestView* a = AddRemoteView(L"A");
    frame.HandleCommand(IDM_UP, 0, 0);
    EXPECT_EQ(std::vector<std::wstring>{L".."}, a->opened);
}

TEST_F(FrameWndTest, ToolButtonStateReachesTheUpButton) {
    HWND bar = frame.GetMenuBar();
    frame.SetToolButtonState(0, 0);
    EXPECT_EQ(0, SendMessageW(bar, TB_GETSTATE, IDM_UP, 0) & TBSTATE_ENABLED);
    frame.SetToolButtonState(IDM_UP, TBSTATE_ENABLED);
    EXPECT_NE(0, SendMessageW(bar, TB_GETSTATE, IDM_UP, 0) & TBSTATE_ENABLED);
}

TEST_F(FrameWndTest, UploadToListsConnectionsAndGreysBusyOnes) {
    FrameTestView* a = AddRemoteView(L"A");
    FrameTestView* b = AddRemoteView(L"B");
    b->busy = true;
    frame.HandleCommand(IDM_LOCAL, 0, 0);
    HMENU popup = frame.GetLocalView()->GetContextMenu();
    HMENU uploadTo = GetSubMenu(popup, 2);
    EXPECT_FALSE(IsGrayed(popup, 2));
    EXPECT_EQ((std::vector<std::wstring>{L"B", L"A"}), ItemTexts(uploadTo));
    EXPECT_TRUE(IsGrayed(uploadTo, 0));
    EXPECT_FALSE(IsGrayed(uploadTo, 1));
    (void)a;
}
