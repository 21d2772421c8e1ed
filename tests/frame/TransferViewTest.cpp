#include <windows.h>
#include <commctrl.h>

#include "frame/FrameProbe.h"
#include "resources/resource.h"
#include "support/DialogDriver.h"
#include "support/FtpViewTest.h"
#include "support/ScratchFolder.h"

// The worker tests (tests/ftp) prove the bytes, the panel tests the figures; these
// prove the wiring a user's transfer takes: the view's commands, its panels and
// the frame around it (the Up button, the local view).
class TransferViewTest : public FtpViewTest {
  protected:
    void SetUp() override {
        FtpViewTest::SetUp();
        frame.GetLocalView()->SetCurrentPath(local.RootedPath().c_str());
    }

    bool UpEnabled() {
        LRESULT state = SendMessageW(frame.GetMenuBar(), TB_GETSTATE, IDM_UP, 0);
        return state != -1 && (state & TBSTATE_ENABLED);
    }
    std::wstring Heading(ProgressPanel& panel) {
        return ItemText(panel.GetHandle(), IDC_PROGRESS_HEADING);
    }
    // Waits for the panel's Done and presses it; the heading it showed.
    std::wstring PressDone(ProgressPanel& panel) {
        EXPECT_TRUE(
            PumpUntil([&] { return panel.GetHandle() && IsWindowVisible(panel.GetItem(IDOK)); }));
        std::wstring heading = Heading(panel);
        Click(panel.GetHandle(), IDOK);
        EXPECT_TRUE(IsWindowVisible(view->GetFileList().GetHandle()));
        EXPECT_TRUE(WaitUntilIdle(*view));  // the listing Done asked for
        return heading;
    }
    void Download(std::initializer_list<const wchar_t*> names) {
        view->Refresh();
        Wait();
        Select(names);
        view->OnContextCommand(0, 0, IDM_DOWNLOAD);
    }
    // Downloads a file the local folder holds and, while its "File exist"
    // prompt is open, runs close (the view goes with it). The prompt must be
    // gone afterwards and the view's worker ended, since the view's end waits
    // for it: returns how long close took.
    DWORD CloseWhileAsked(const std::function<void()>& close) {
        MakeFile(L"exists.txt");
        WriteBytes(local.Join(L"exists.txt"), "local");
        app.options.SetExistingFileOption(existingPrompt);
        DialogDriver driver;
        HWND prompt = nullptr;
        DWORD took = 0;
        driver.On(L"File exist", [&](HWND shown) {
            prompt = shown;
            DWORD start = GetTickCount();
            close();
            took = GetTickCount() - start;
        });
        Download({L"exists.txt"});
        EXPECT_TRUE(PumpUntil([&] { return prompt && !IsWindow(prompt); }));
        PtrList<BrowseWnd*> remoteViews;
        frame.GetRemoteViews(remoteViews);
        EXPECT_TRUE(remoteViews.IsEmpty());
        EXPECT_EQ(frame.GetLocalView(), frame.GetCurrentView());
        EXPECT_EQ("local", ReadBytes(local.Join(L"exists.txt")));
        return took;
    }

    ScratchFolder local;
};

TEST_F(TransferViewTest, DownloadAndUploadRunThroughThePanelsAndCancelKeepsTheFolder) {
    ASSERT_TRUE(WriteTestFile(remote + L"\\a file.txt", 5120, 1));
    CreateDirectoryW((remote + L"\\sub").c_str(), nullptr);
    Download({L"..", L"a file.txt", L"sub"});
    EXPECT_FALSE(UpEnabled());
    EXPECT_EQ(L"Download complete", PressDone(view->GetDownloadPanel()));
    EXPECT_TRUE(UpEnabled());
    EXPECT_EQ(3, frame.GetLocalView()->GetFileList().GetItemCount());  // "..", the file, "sub"

    ASSERT_TRUE(WriteTestFile(local.Join(L"up.bin"), 12345, 3));
    PtrList<WString*> items;
    items.AddTail(new WString((L"F" + local.Join(L"up.bin")).c_str()));
    view->StartUpload(items);
    delete items.RemoveHead();
    EXPECT_EQ(L"Upload complete", PressDone(view->GetUploadPanel()));
    EXPECT_EQ(4, view->GetFileList().GetItemCount());  // "..", the file, the folder, up.bin

    // Cancel from the panel: the worker logs in again by itself and the view stays put.
    ASSERT_TRUE(WriteTestFile(remote + L"\\slow.bin", 8 << 20, 4));
    std::wstring before = view->GetCurrentPath();
    Download({L"slow.bin"});
    // The part file is made while the server is asked: only its data shows the file begun.
    ASSERT_TRUE(
        PumpUntil([&] { return !ReadBytes(local.Join(L"slow.bin.corvane-part")).empty(); }));
    // While the worker owns the connection, the view's commands are greyed; the local view's are
    // not.
    EXPECT_EQ((Texts{L"-Select All\tCtrl+A", L"-Invert Selection", L"-", L"-Delete\tDel",
                     L"-Rename\tF2"}),
              OpenedMenu(frame, IDM_EDIT));
    EXPECT_EQ(L"-Refresh\tF5", OpenedMenu(frame, IDM_VIEW).at(3));
    frame.HandleCommand(IDM_LOCAL, 0, 0);
    EXPECT_EQ(L"Rename\tF2", OpenedMenu(frame, IDM_EDIT).at(4));
    HMENU uploadTo = GetSubMenu(frame.GetLocalView()->GetContextMenu(), 2);
    EXPECT_EQ(Texts{L"-" + std::wstring(view->GetSessionName())}, ItemTexts(uploadTo));
    frame.ShowView(view);
    view->BeginRename();  // nor does F2 start an edit
    EXPECT_EQ(0, view->GetFileList().Send(LVM_GETEDITCONTROL, 0, 0));
    Click(view->GetDownloadPanel().GetHandle(), IDCANCEL);
    EXPECT_EQ(L"Download cancelled", PressDone(view->GetDownloadPanel()));
    EXPECT_TRUE(view->IsIdle());
    EXPECT_EQ(L"Rename\tF2", OpenedMenu(frame, IDM_EDIT).at(4));
    EXPECT_EQ(before, view->GetCurrentPath());
    EXPECT_TRUE(local.Exists(L"slow.bin.corvane-part"));
}

// Files the server refuses are listed by name with its reply, in a report the
// user can copy, and the heading says the run failed; the others come down.
TEST_F(TransferViewTest, FailedFilesAreListedWithTheServersReasonAtTheEnd) {
    for (const wchar_t* name : {L"good.txt", L"sub\\unreadable one.txt", L"unreadable two.txt"})
        ASSERT_TRUE(WriteTestFile(remote + L"\\" + name, 100, 1));
    DialogDriver answerer(Pressing({IDC_TRANSFER_ERROR_IGNORE}));  // the prompt has no title
    Download({L"good.txt", L"sub", L"unreadable two.txt"});
    ProgressPanel& panel = view->GetDownloadPanel();
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(panel.GetItem(IDOK)); }));
    EXPECT_EQ(2, answerer.Count());
    EXPECT_EQ(L"Download failed", Heading(panel));
    EXPECT_EQ(L"Failed: 2 files, 0 folders", ItemText(panel.GetHandle(), IDC_PROGRESS_FAILURES));
    HWND report = panel.GetItem(IDC_PROGRESS_REPORT);
    EXPECT_TRUE(IsWindowVisible(report));
    EXPECT_TRUE(GetWindowLongW(report, GWL_STYLE) & ES_READONLY);
    std::wstring listed = ItemText(panel.GetHandle(), IDC_PROGRESS_REPORT);
    std::wstring reason = L": 550 Permission denied.";
    // Named as the local view shows the folder; in the order the connections failed them.
    std::wstring folder = local.RootedPath() + L"\\";
    std::wstring one = folder + L"sub\\unreadable one.txt" + reason;
    std::wstring two = folder + L"unreadable two.txt" + reason;
    EXPECT_TRUE(listed == one + L"\r\n" + two || listed == two + L"\r\n" + one) << listed;
    PressDone(panel);
    EXPECT_EQ("", ReadBytes(local.Join(L"unreadable two.txt")));
    EXPECT_EQ(100u, ReadBytes(local.Join(L"good.txt")).size());

    // The next run starts with a clean report.
    app.options.SetExistingFileOption(existingOverwrite);
    Download({L"good.txt"});
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(panel.GetItem(IDOK)); }));
    EXPECT_EQ(L"Download complete", Heading(panel));
    EXPECT_FALSE(IsWindowVisible(panel.GetItem(IDC_PROGRESS_REPORT)));
    PressDone(panel);
}

// The frame closes the view (as File > Disconnect does) while its worker
// waits for an answer: the prompt goes, the worker ends, nothing of the view
// is used afterwards. Times are fault detectors only: the worker's wait ends at once.
TEST_F(TransferViewTest, ClosingTheViewWithAPromptOpenEndsThePromptAndTheWorker) {
    EXPECT_LT(CloseWhileAsked([this] {
                  frame.ShowView(view);
                  frame.HandleCommand(IDM_CURRENT_VIEW, 0, 0);
              }),
              2000u);
}

// Quitting closes the connections' views first, so no worker is left for the exit to kill.
TEST_F(TransferViewTest, QuittingWithAPromptOpenEndsThePromptAndTheWorker) {
    EXPECT_LT(CloseWhileAsked([this] { frame.HandleCommand(IDM_QUIT, 0, 0); }), 2000u);
}

// The drives are no folder: a download asks for one instead of writing anywhere.
TEST_F(TransferViewTest, NoDownloadWhileTheLocalViewListsTheDrives) {
    ASSERT_TRUE(WriteTestFile(remote + L"\\a.txt", 10, 1));
    frame.GetLocalView()->SetCurrentPath(L"");
    DialogDriver answerer(Pressing({IDOK}));
    Download({L"a.txt"});
    EXPECT_EQ(L"Open a local folder to download into", answerer.LastText());
    EXPECT_FALSE(view->GetDownloadPanel().GetHandle());
    EXPECT_TRUE(UpEnabled());
}
