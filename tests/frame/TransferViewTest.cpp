#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "browsers/FtpBrowseWnd.h"
#include "frame/FrameProbe.h"
#include "resources/resource.h"
#include "support/DialogDriver.h"
#include "support/FtpFixture.h"
#include "support/GuiApp.h"
#include "support/ListRows.h"
#include "support/ScratchFolder.h"

namespace {

// A frame with one connection view standing in the test's own server folder,
// and the local view in a scratch folder: the whole path a user's transfer takes.
class TransferViewTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!server.Load()) GTEST_SKIP() << "the FTP fixture is not running";
        ASSERT_TRUE(frame.CreateFrame(L"Corvane", WS_VISIBLE, 0, 0, 320, 400, IDR_MENUBAR));
        remote = WinePath(server.root) + L"\\" + TestFolderName();
        CreateDirectoryW(remote.c_str(), nullptr);
        frame.GetLocalView()->SetCurrentPath(local.RootedPath().c_str());
        frame.GetLocalView()->Refresh();
        view = new FtpBrowseWnd;
        RECT client;
        frame.GetClientRect(&client);
        ASSERT_TRUE(view->CreateBrowser(L"BrowseWnd", WS_CHILD | WS_VISIBLE, 0, 0, client.right,
                                        client.bottom, &frame));
        ASSERT_TRUE(view->Connect(server.host.c_str(), server.user.c_str(), server.password.c_str(),
                                  L"xfer", server.port));
        frame.AddView(view, L"xfer");
        view->OpenFolder((L"/" + TestFolderName()).c_str());
    }
    void TearDown() override {
        frame.DestroyWnd();
        PumpMessages();
    }

    void Select(std::initializer_list<const wchar_t*> names) {
        SelectRows(view->GetFileList(), names);
    }
    bool UpEnabled() {
        LRESULT state = SendMessageW(frame.GetMenuBar(), TB_GETSTATE, IDM_UP, 0);
        return state != -1 && (state & TBSTATE_ENABLED);
    }
    static bool ShowsDone(ProgressPanel& panel) {
        return panel.GetHandle() && IsWindowVisible(panel.GetItem(IDOK));
    }
    bool ListShown() { return IsWindowVisible(view->GetFileList().GetHandle()) != FALSE; }

    GuiApp app;
    FrameWnd& frame = app.frame;
    FixtureServer server;
    ScratchFolder local;
    std::wstring remote;
    FtpBrowseWnd* view = nullptr;
};

}  // namespace

TEST_F(TransferViewTest, DownloadAndUploadRunThroughThePanels) {
    ASSERT_TRUE(WriteTestFile(remote + L"\\a file.txt", 5120, 1));
    CreateDirectoryW((remote + L"\\sub").c_str(), nullptr);
    ASSERT_TRUE(WriteTestFile(remote + L"\\sub\\\u00e9t\u00e9.bin", 70000, 2));
    view->Refresh();

    Select({L"..", L"a file.txt", L"sub"});
    view->OnContextCommand(0, 0, IDM_DOWNLOAD);
    EXPECT_FALSE(UpEnabled());
    DownloadProgressDlg& download = view->GetDownloadPanel();
    ASSERT_TRUE(PumpUntil([&] { return ShowsDone(download); }));
    EXPECT_FALSE(ListShown());
    EXPECT_EQ(L"xfer", ItemText(download.GetHandle(), IDC_PROGRESS_SESSION));
    EXPECT_EQ(L"2", ItemText(download.GetHandle(), IDC_PROGRESS_FILE_COUNT));
    EXPECT_EQ(L"75120", ItemText(download.GetHandle(), IDC_PROGRESS_BYTE_COUNT));
    EXPECT_EQ(FileChecksum(remote + L"\\a file.txt"), FileChecksum(local.Join(L"a file.txt")));
    EXPECT_EQ(FileChecksum(remote + L"\\sub\\\u00e9t\u00e9.bin"),
              FileChecksum(local.Join(L"sub\\\u00e9t\u00e9.bin")));
    Click(download.GetHandle(), IDOK);
    EXPECT_FALSE(download.GetHandle());
    EXPECT_TRUE(ListShown());
    EXPECT_TRUE(UpEnabled());
    EXPECT_EQ(3, frame.GetLocalView()->GetFileList().GetItemCount());  // "..", the file, "sub"

    // Upload a local file under another name back into the same folder.
    ASSERT_TRUE(WriteTestFile(local.Join(L"up.bin"), 12345, 3));
    PtrList<WString*> items;
    items.AddTail(new WString((L"F" + local.Join(L"up.bin")).c_str()));
    view->StartUpload(items);
    delete items.RemoveHead();
    UploadProgressDlg& upload = view->GetUploadPanel();
    ASSERT_TRUE(PumpUntil([&] { return ShowsDone(upload); }));
    EXPECT_EQ(FileChecksum(local.Join(L"up.bin")), FileChecksum(remote + L"\\up.bin"));
    Click(upload.GetHandle(), IDOK);
    EXPECT_TRUE(ListShown());
    EXPECT_EQ(4, view->GetFileList().GetItemCount());  // "..", the file, the folder, up.bin
}

TEST_F(TransferViewTest, CancelFromThePanelKeepsThePartAndTheFolder) {
    ASSERT_TRUE(WriteTestFile(remote + L"\\slow.bin", 8 << 20, 4));
    view->Refresh();
    std::wstring before = view->GetCurrentPath();
    Select({L"slow.bin"});
    view->OnContextCommand(0, 0, IDM_DOWNLOAD);
    DownloadProgressDlg& download = view->GetDownloadPanel();
    ASSERT_TRUE(PumpUntil([&] {
        return GetFileAttributesW(local.Join(L"slow.bin.corvane-part").c_str()) !=
                   INVALID_FILE_ATTRIBUTES &&
               ItemText(download.GetHandle(), IDC_PROGRESS_BYTE_COUNT) != L"0";
    }));
    // While the worker owns the connection, the view's commands are greyed.
    HMENU edit = Popup(frame, IDM_EDIT);
    frame.PrepareMenuPopup(edit, IDM_EDIT, 0);
    EXPECT_EQ((Texts{L"-Select All", L"-Invert Selection", L"-", L"-Delete", L"-Rename"}),
              ItemTexts(edit));
    view->BeginRename();  // nor does F2 start an edit
    EXPECT_EQ(0, view->GetFileList().Send(LVM_GETEDITCONTROL, 0, 0));
    // The worker logs in again by itself, then the panel shows Done.
    Click(download.GetHandle(), IDCANCEL);
    EXPECT_TRUE(PumpUntil([&] { return ShowsDone(download); }));
    EXPECT_TRUE(view->IsIdle());
    Click(download.GetHandle(), IDOK);
    EXPECT_EQ(before, view->GetCurrentPath());
    WIN32_FILE_ATTRIBUTE_DATA kept = {};
    ASSERT_TRUE(GetFileAttributesExW(local.Join(L"slow.bin.corvane-part").c_str(),
                                     GetFileExInfoStandard, &kept));
    EXPECT_GT(kept.nFileSizeLow, 0u);
    EXPECT_LT(kept.nFileSizeLow, 8u << 20);
}

// The drives are no folder: a download asks for one instead of writing anywhere.
TEST_F(TransferViewTest, NoDownloadWhileTheLocalViewListsTheDrives) {
    ASSERT_TRUE(WriteTestFile(remote + L"\\a.txt", 10, 1));
    view->Refresh();
    frame.GetLocalView()->SetCurrentPath(L"");
    DialogDriver answerer(Pressing({IDOK}));
    Select({L"a.txt"});
    view->OnContextCommand(0, 0, IDM_DOWNLOAD);
    EXPECT_EQ(L"Open a local folder to download into", answerer.LastText());
    EXPECT_FALSE(view->GetDownloadPanel().GetHandle());
    EXPECT_TRUE(UpEnabled());
}
