#include <algorithm>

#include "browsers/ModifiedText.h"
#include "resources/resource.h"
#include "support/DialogDriver.h"
#include "support/FtpViewTest.h"

using Names = std::vector<std::wstring>;
using FtpBrowseWndTest = FtpViewTest;

TEST_F(FtpBrowseWndTest, ListsTheServerFolderAndBrowsesIt) {
    // Labels longer than their fields are shortened visibly.
    EXPECT_EQ(std::wstring(62, L's') + L"\u2026", view->GetSessionName());
    MakeFile(L"dir with blanks\\\u00e9t\u00e9.txt");
    MakeFile(L"file.txt");
    // A sparse file past 4 GiB: its size as the listing gives it.
    ASSERT_TRUE(SetFileFacts(remote + L"\\huge.iso", FileTimeOf(2021, 1, 5), 5ll << 30));
    view->Refresh();
    Wait();
    Names rows = Rows();
    ASSERT_EQ(4u, rows.size());  // the parent entry's own case is the root's below
    std::wstring folder = L"/" + TestFolderName();
    EXPECT_EQ(folder, view->GetCurrentPath());
    int row = static_cast<int>(std::find(rows.begin(), rows.end(), L"huge.iso") - rows.begin());
    EXPECT_EQ(L"5.00gb", Cell(row, 1));

    auto open = [&](const wchar_t* name) {
        view->OpenFolder(name);
        Wait();
    };
    open(L"dir with blanks");
    EXPECT_EQ((Names{L"..", L"\u00e9t\u00e9.txt"}), Rows());
    EXPECT_EQ(L"10b", Cell(1, 1));
    open(L"missing");  // a failed change lists the same folder again
    EXPECT_EQ(folder + L"/dir with blanks", view->GetCurrentPath());
    open(L"..");
    EXPECT_EQ(folder, view->GetCurrentPath());
    open(L"..");
    open(L"..");  // the root still has its parent entry
    EXPECT_STREQ(L"/", view->GetCurrentPath());
    EXPECT_EQ(L"..", Cell(0, 0));
}

TEST_F(FtpBrowseWndTest, NewFolderIsNamedThroughTheDialog) {
    DialogDriver driver(Pressing({IDOK}));  // the failure
    std::wstring typed = L"new dir";
    int button = IDOK;
    driver.On(L"", [&](HWND d) {
        EXPECT_EQ(L"Directory name:", ItemText(d, IDC_NAME_INPUT_PROMPT));
        SetDlgItemTextW(d, IDC_NAME_INPUT_VALUE, typed.c_str());
        Click(d, button);
    });
    view->OnContextCommand(0, 0, IDM_NEW_FOLDER);
    Wait();
    EXPECT_TRUE(Exists(L"new dir"));
    EXPECT_EQ(L"new dir", Cell(0, 0));
    EXPECT_EQ(0, view->GetFileList().Send(LVM_GETEDITCONTROL, 0, 0));  // named already

    typed = L"cancelled";
    button = IDCANCEL;
    view->OnContextCommand(0, 0, IDM_NEW_FOLDER);
    typed = L"new dir";  // taken
    button = IDOK;
    view->OnContextCommand(0, 0, IDM_NEW_FOLDER);
    Wait();
    EXPECT_FALSE(Exists(L"cancelled"));
    EXPECT_EQ((Names{L": ", L": ", L": ", L"ERROR: Can't create directory\n550 File exists."}),
              driver.Seen());
}

TEST_F(FtpBrowseWndTest, DeletesFilesAndWholeTreesAndSaysWhatItCannot) {
    for (const wchar_t* name : {L"a.txt", L"undeletable.txt", L"tree\\inner\\deep.txt"})
        MakeFile(name);
    view->Refresh();
    Wait();
    DialogDriver driver(Pressing({IDYES, IDOK}));  // the question, then the failure
    Select({L"..", L"a.txt", L"tree", L"undeletable.txt"});
    view->DeleteSelection();
    EXPECT_EQ(L"Deleting 3 items...", view->GetBusyStatus());
    Wait();
    EXPECT_FALSE(Exists(L"a.txt"));
    EXPECT_FALSE(Exists(L"tree"));
    EXPECT_TRUE(Exists(L"undeletable.txt"));
    EXPECT_EQ((Names{L"..", L"undeletable.txt"}), Rows());
    EXPECT_EQ((Names{L"Error: Are you sure you want to delete these 3 items?",
                     L"Error: Can't delete file\n550 Permission denied."}),
              driver.Seen());
}

// The in-place edit renames on the server and the row keeps its place. Unsafe
// names are refused unsent, a file of the new name is replaced only when the
// user says so, and a refusal gives the server's reason.
TEST_F(FtpBrowseWndTest, RenamesInPlaceOnTheServer) {
    MakeFile(L"a.txt");
    ASSERT_TRUE(WriteTestFile(remote + L"\\b.txt", 20, 2));
    uint64_t b = FileChecksum(remote + L"\\b.txt");
    CreateDirectoryW((remote + L"\\dir").c_str(), nullptr);
    view->Refresh();
    Wait();
    Names rows = Rows();
    Select({L"dir"});
    view->OnContextCommand(0, 0, IDM_RENAME);
    HWND edit = reinterpret_cast<HWND>(view->GetFileList().Send(LVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(nullptr, edit);
    SetWindowTextW(edit, L"folder \u00e9");
    SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    Wait();
    std::replace(rows.begin(), rows.end(), std::wstring(L"dir"), std::wstring(L"folder \u00e9"));
    EXPECT_EQ(rows, Rows());

    DialogDriver driver(Pressing({IDOK}));
    int replace = IDNO;
    driver.On(L"Rename", [&replace](HWND box) { Click(box, replace); });
    auto rename = [&](const wchar_t* name) {
        view->RenameItem(L"b.txt", name);
        Wait();
    };
    for (const wchar_t* name : {L"", L".", L"..", L"x/y", L"x\\y", L"x\r\nDELE a.txt"})
        rename(name);
    rename(L"a.txt");
    rename(L"folder \u00e9");
    replace = IDYES;
    rename(L"a.txt");
    Names seen(6, L"Error: Invalid name");
    seen.push_back(L"Rename: a.txt already exists. Replace it?");
    seen.push_back(L"Error: Can't rename\n550 Is a directory.");
    seen.push_back(seen[6]);
    EXPECT_EQ(seen, driver.Seen());
    EXPECT_EQ(b, FileChecksum(remote + L"\\a.txt"));
    EXPECT_EQ(3u, Rows().size());
}

// vsftpd lists with LIST (in UTC): an older file's line gives its day without
// a time; a recent one's time of day is the server's clock.
TEST(FtpBrowseWndOnVsftpd, ShowsTheDayOfAnOlderFileAndTimesByTheServersOffset) {
    REQUIRE_FIXTURE_VARIABLE(root, "CORVANE_VSFTPD_ROOT");
    GuiApp app;
    std::wstring local = WinePath(root) + L"\\pub\\" + TestFolderName();
    CreateDirectoryW(local.c_str(), nullptr);
    ASSERT_TRUE(SetFileFacts(local + L"\\old.txt", FileTimeOf(2021, 1, 5)));
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const uint64_t kMinute = 600000000ULL, kHour = 60 * kMinute;
    uint64_t recent =
        ((uint64_t(now.dwHighDateTime) << 32 | now.dwLowDateTime) / kMinute) * kMinute;
    ASSERT_TRUE(SetFileFacts(local + L"\\recent.txt", recent - kHour));
    FtpBrowseWnd view;
    ASSERT_TRUE(view.CreateBrowser(L"BrowseWnd", WS_POPUP, 0, 0, 300, 300, nullptr));
    ASSERT_TRUE(view.Connect(L"127.0.0.1", L"anonymous", L"guest@", L"vsftpd",
                             FixturePort("CORVANE_VSFTPD_PORT")));
    view.SetCurrentPath((L"pub/" + TestFolderName()).c_str());
    view.Refresh();
    ASSERT_TRUE(WaitUntilIdle(view));
    Names rows = RowNames(view.GetFileList());
    auto cell = [&](const wchar_t* name) {
        int row = static_cast<int>(std::find(rows.begin(), rows.end(), name) - rows.begin());
        return CellText(view.GetFileList(), row, 3);
    };
    wchar_t shown[64];
    FormatModifiedText(FileTimeOf(2021, 1, 5, 0, 0), true, shown, 64);
    EXPECT_EQ(shown, cell(L"old.txt"));
    EXPECT_NE(std::wstring::npos, cell(L"recent.txt").find(L':'));  // with its time
    // The server's clock two hours ahead of UTC: its LIST time shows in the user's zone.
    view.GetEngine().SetServerClock(ServerClock{true, 2});
    view.Refresh();
    ASSERT_TRUE(WaitUntilIdle(view));
    FormatModifiedText(recent - 3 * kHour, false, shown, 64);
    EXPECT_EQ(shown, cell(L"recent.txt"));
    view.DestroyWnd();
}
