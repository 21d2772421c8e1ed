#include <gtest/gtest.h>

#include "frame/FrameFixture.h"
#include "support/ScratchFolder.h"

using FrameWndTest = FrameFixture;

TEST_F(FrameWndTest, ViewsSwitchAndTheTitleAndMenusFollow) {
    EXPECT_EQ(L"Ftp [Local]", Title());
    EXPECT_EQ(frame.GetLocalView(), frame.GetCurrentView());
    EXPECT_GT(frame.GetLocalView()->GetFileList().GetItemCount(), 0);
    frame.PrepareMenuPopup(Popup(IDM_FILE), IDM_FILE, 0);
    EXPECT_TRUE(HasState(FileSubmenu(1), 0, MF_GRAYED));

    StandInView* a = AddView(L"alpha");
    StandInView* b = AddView(L"beta");
    EXPECT_EQ(L"Ftp [beta]", Title());
    EXPECT_FALSE(IsWindowVisible(a->GetHandle()));
    HMENU view = Popup(IDM_VIEW);
    EXPECT_EQ((Texts{L"beta", L"alpha", L"Local", L"", L"Refresh", L"Options..."}),
              ItemTexts(view));
    EXPECT_EQ((Texts{L"Current View", L"", L"beta", L"alpha"}), ItemTexts(FileSubmenu(1)));
    frame.PrepareMenuPopup(Popup(IDM_FILE), IDM_FILE, 0);
    EXPECT_FALSE(HasState(FileSubmenu(1), 0, MF_GRAYED));

    frame.HandleCommand(IdOf(view, L"alpha"), 0, 0);
    EXPECT_EQ(L"Ftp [alpha]", Title());
    frame.PrepareMenuPopup(view, IDM_VIEW, 0);
    EXPECT_TRUE(HasState(view, 1, MF_CHECKED));
    EXPECT_FALSE(HasState(view, 0, MF_CHECKED));

    frame.HandleCommand(IDM_LOCAL, 0, 0);
    EXPECT_EQ(L"Ftp [Local]", Title());
    EXPECT_FALSE(IsWindowVisible(a->GetHandle()));
    frame.PrepareMenuPopup(view, IDM_VIEW, 0);
    EXPECT_TRUE(HasState(view, 2, MF_CHECKED));
    EXPECT_FALSE(HasState(view, 1, MF_CHECKED));

    // Hidden views are resized with the frame.
    frame.Move(0, 0, 280, 300, true);
    RECT client, hidden;
    frame.GetClientRect(&client);
    b->GetClientRect(&hidden);
    EXPECT_EQ(client.right, hidden.right);
    EXPECT_EQ(client.bottom, hidden.bottom);
}

TEST_F(FrameWndTest, ClosingViewsFallsBackAsEachWayIntends) {
    StandInView* a = AddView(L"A");
    StandInView* b = AddView(L"B");
    AddView(L"C");
    frame.HandleCommand(IDM_CURRENT_VIEW, 0, 0);
    EXPECT_EQ(b, frame.GetCurrentView());
    EXPECT_EQ((Texts{L"Current View", L"", L"B", L"A"}), ItemTexts(FileSubmenu(1)));

    frame.HandleCommand(IdOf(FileSubmenu(1), L"B"), 0, 0);
    EXPECT_EQ(L"Ftp [Local]", Title());
    EXPECT_EQ((Texts{L"A", L"Local", L"", L"Refresh", L"Options..."}), ItemTexts(Popup(IDM_VIEW)));
    frame.HandleCommand(IDM_CURRENT_VIEW, 0, 0);  // the local view is never closed
    EXPECT_EQ(3, GetMenuItemCount(FileSubmenu(1)));

    // A dropped connection: only views the frame holds, never the local one.
    StandInView* d = AddView(L"D");
    for (WPARAM gone : {reinterpret_cast<WPARAM>(a), reinterpret_cast<WPARAM>(frame.GetLocalView()),
                        WPARAM(12345)})
        frame.Send(FrameWnd::kCloseViewMessage, gone, 0);
    EXPECT_EQ(d, frame.GetCurrentView());
    EXPECT_EQ((Texts{L"Current View", L"", L"D"}), ItemTexts(FileSubmenu(1)));
    frame.Send(FrameWnd::kCloseViewMessage, reinterpret_cast<WPARAM>(d), 0);
    EXPECT_EQ(L"Ftp [Local]", Title());
    EXPECT_TRUE(IsWindowVisible(frame.GetLocalView()->GetHandle()));
}

TEST_F(FrameWndTest, UpAndEditCommandsReachTheShownView) {
    ScratchFolder scratch;
    scratch.MakeFolder(L"inner");
    BrowseWnd* local = frame.GetLocalView();
    local->SetCurrentPath((scratch.RootedPath() + L"\\inner").c_str());
    frame.HandleCommand(IDM_UP, 0, 0);
    EXPECT_EQ(scratch.RootedPath(), local->GetCurrentPath());
    frame.HandleCommand(IDM_SELECT_ALL, 0, 0);
    EXPECT_EQ(2u, local->GetFileList().GetSelectedCount());

    StandInView* a = AddView(L"A");
    frame.HandleCommand(IDM_UP, 0, 0);
    EXPECT_EQ(Texts{L".."}, a->opened);
}

TEST_F(FrameWndTest, UploadToListsConnectionsAndGreysBusyOnes) {
    AddView(L"A");
    AddView(L"B")->busy = true;
    frame.HandleCommand(IDM_LOCAL, 0, 0);
    HMENU popup = frame.GetLocalView()->GetContextMenu();
    HMENU uploadTo = GetSubMenu(popup, 2);
    EXPECT_FALSE(HasState(popup, 2, MF_GRAYED));
    EXPECT_EQ((Texts{L"B", L"A"}), ItemTexts(uploadTo));
    EXPECT_TRUE(HasState(uploadTo, 0, MF_GRAYED));
    EXPECT_FALSE(HasState(uploadTo, 1, MF_GRAYED));
}
