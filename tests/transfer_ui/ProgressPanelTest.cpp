#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <climits>
#include <string>
#include <vector>

#include "browsers/BrowseWnd.h"
#include "resources/resource.h"
#include "support/DialogDriver.h"
#include "support/GuiApp.h"
#include "support/ScratchFolder.h"
#include "transfer_ui/ProgressText.h"

namespace {

std::wstring FileText(ULONGLONG bytes, ULONGLONG size, ULONGLONG total, DWORD elapsed) {
    wchar_t text[128];
    FormatFileProgress(text, 128, bytes, size, total, elapsed);
    return text;
}

// A view as the FTP view will be: it names its session and records the panels' buttons.
class PanelHostView : public BrowseWnd {
  public:
    const wchar_t* GetSessionName() override { return L"work"; }
    const wchar_t* GetHost() override { return L"ftp.example.org"; }
    const wchar_t* GetUser() override { return L"anna"; }

    std::vector<std::pair<UINT, WPARAM>> buttons;

  protected:
    LRESULT OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_APP_DOWNLOAD_PANEL_BUTTON || message == WM_APP_UPLOAD_PANEL_BUTTON)
            buttons.push_back({message, wParam});
        return BrowseWnd::OnWindowMessage(handle, message, wParam, lParam);
    }
};

class ProgressPanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(view.CreateBrowser(L"BrowseWnd", WS_POPUP | WS_VISIBLE, 0, 0, 300, 400, 0));
    }
    void TearDown() override { view.DestroyWnd(); }

    std::wstring Text(ProgressPanel& panel, int id) { return ItemText(panel.GetHandle(), id); }
    bool Visible(HWND window) { return IsWindowVisible(window) != FALSE; }
    bool ListShown() {
        return Visible(view.GetFileList().GetHandle()) && Visible(view.GetPathBox().GetHandle());
    }
    std::vector<std::wstring> Texts(ProgressPanel& panel, std::initializer_list<int> ids) {
        std::vector<std::wstring> texts;
        for (int id : ids) texts.push_back(Text(panel, id));
        return texts;
    }
    int BarPosition(ProgressPanel& panel, int id) {
        return static_cast<int>(SendMessageW(panel.GetItem(id), PBM_GETPOS, 0, 0));
    }

    GuiApp app;
    PanelHostView view;
};

}  // namespace

// What the panels' own tests below leave out: the run's average rate, no time
// yet, and counts too large for 32-bit arithmetic.
TEST(ProgressTextTest, FiguresForBarsAndTexts) {
    EXPECT_EQ(L"0.00/512.00kb at 1000.00kb/sec", FileText(0, 524288, 10240000, 10000));
    EXPECT_EQ(L"0.00/0.00kb at 0.00kb/sec", FileText(0, 0, 0, 0));
    EXPECT_EQ(L"0.00/1.00kb at 0.00kb/sec", FileText(0, 1024, 5120, 0));

    EXPECT_EQ(50u, FilePercent(2000000000u, 4000000000u));  // no 32-bit overflow
    EXPECT_EQ(100u, FilePercent(4000000000u, 4000000000u));
    const ULONGLONG gib = 1ull << 30;
    EXPECT_EQ(L"5242880.00/6291456.00kb at 5242880.00kb/sec",
              FileText(5 * gib, 6 * gib, 5 * gib, 1000));
    EXPECT_EQ(50u, FilePercent(ULLONG_MAX / 2, ULLONG_MAX));

    EXPECT_EQ(25u, FreeStorePercent(1024, 4096));
    EXPECT_EQ(0u, FreeStorePercent(0, 0));
    wchar_t storage[64];
    FormatStorage(storage, 64, 1536, 4096);
    EXPECT_STREQ(L"1.50/4.00kb", storage);
    FormatStorage(storage, 64, 5 * gib, 8 * gib);  // volumes past 4 GiB as they are
    EXPECT_STREQ(L"5242880.00/8388608.00kb", storage);
}

TEST_F(ProgressPanelTest, DownloadPanelTakesTheListsPlaceAndShowsTheRun) {
    ASSERT_TRUE(ListShown());
    ScratchFolder target;
    DownloadProgressDlg& panel = view.GetDownloadPanel();
    panel.SetStorageFolder(target.Join(L"not made yet").c_str());
    view.ShowDownloadPanel(true);
    ASSERT_TRUE(panel.GetHandle());
    EXPECT_TRUE(Visible(panel.GetHandle()));
    EXPECT_FALSE(Visible(view.GetFileList().GetHandle()));
    EXPECT_FALSE(Visible(view.GetPathBox().GetHandle()));
    EXPECT_EQ((std::vector<std::wstring>{L"work", L"ftp.example.org", L"anna"}),
              Texts(panel, {IDC_PROGRESS_SESSION, IDC_PROGRESS_HOST, IDC_PROGRESS_USER}));

    panel.ShowFolder(L"photos");
    EXPECT_EQ(L"photos [Folder]", Text(panel, IDC_DOWNLOAD_CURRENT_ITEM));
    DownloadCounters counters = {3, 2, 4096, 2048, 1024, 1000, {}};
    panel.ShowProgress(&counters);
    counters.totalBytes = 5ull << 30;  // past 32 bits
    panel.ShowProgress(&counters);
    EXPECT_EQ(L"5368709120", Text(panel, IDC_PROGRESS_BYTE_COUNT));
    counters.totalBytes = 4096;
    panel.ShowProgress(&counters);
    EXPECT_EQ(50, BarPosition(panel, IDC_PROGRESS_FILE_BAR));
    EXPECT_EQ(L"1.00/2.00kb at 4.00kb/sec", Text(panel, IDC_PROGRESS_FILE_TEXT));
    EXPECT_EQ((std::vector<std::wstring>{L"3", L"", L"2", L"4096"}),
              Texts(panel, {IDC_PROGRESS_FILE_COUNT, IDC_PROGRESS_FAILURES, IDC_PROGRESS_DIR_COUNT,
                            IDC_PROGRESS_BYTE_COUNT}));

    // The room on the download folder's volume, whatever its size; others may
    // write to the volume meanwhile, so the free part is compared loosely.
    ULARGE_INTEGER available, total;
    ASSERT_TRUE(GetDiskFreeSpaceExW(target.Path().c_str(), &available, &total, nullptr));
    wchar_t storage[64];
    FormatStorage(storage, 64, 0, total.QuadPart);
    std::wstring shown = Text(panel, IDC_DOWNLOAD_STORE_TEXT);
    std::wstring totalPart = wcschr(storage, L'/');
    ASSERT_GT(shown.size(), totalPart.size());
    EXPECT_EQ(totalPart, shown.substr(shown.size() - totalPart.size()));
    EXPECT_NEAR(_wtof(shown.c_str()) * 1024, double(available.QuadPart), 1e8);
    EXPECT_NEAR(FreeStorePercent(available.QuadPart, total.QuadPart),
                BarPosition(panel, IDC_DOWNLOAD_STORE_BAR), 1);

    // A new file restarts the bar; an empty one shows it full.
    panel.ShowFile(L"empty file.txt");
    EXPECT_EQ(L"empty file.txt [File]", Text(panel, IDC_DOWNLOAD_CURRENT_ITEM));
    EXPECT_EQ(0, BarPosition(panel, IDC_PROGRESS_FILE_BAR));
    DownloadCounters empty = {4, 2, 4096, 0, 0, 1000, {0, 0, 1}};
    panel.ShowProgress(&empty);
    EXPECT_EQ(100, BarPosition(panel, IDC_PROGRESS_FILE_BAR));
    EXPECT_EQ(L"Failed: the connection was lost", Text(panel, IDC_PROGRESS_FAILURES));

    view.ShowDownloadPanel(false);
    EXPECT_FALSE(panel.GetHandle());
    EXPECT_TRUE(ListShown());
}

TEST_F(ProgressPanelTest, ButtonsSwitchAndReportToTheViewAndTheUploadPanelReadsItsCounters) {
    view.ShowDownloadPanel(true);
    DownloadProgressDlg& download = view.GetDownloadPanel();
    download.SetButtonMode(panelCancel);
    EXPECT_TRUE(Visible(download.GetItem(IDCANCEL)));
    EXPECT_FALSE(Visible(download.GetItem(IDOK)));
    SendMessageW(download.GetItem(IDCANCEL), BM_CLICK, 0, 0);
    download.SetButtonMode(panelDone);
    EXPECT_FALSE(Visible(download.GetItem(IDCANCEL)));
    SendMessageW(download.GetItem(IDOK), BM_CLICK, 0, 0);

    // The upload panel starts in Cancel mode by itself and reads the upload
    // counters in their own order.
    view.ShowUploadPanel(true);
    UploadProgressDlg& upload = view.GetUploadPanel();
    upload.ShowFile(L"r\u00e9sum\u00e9.txt");
    EXPECT_EQ(L"r\u00e9sum\u00e9.txt [File]", Text(upload, IDC_UPLOAD_CURRENT_ITEM));
    UploadCounters counters = {5, 8192, 4096, 1024, 2000, 7, {2, 1, 0}};
    upload.ShowProgress(&counters);
    EXPECT_EQ(
        (std::vector<std::wstring>{L"5", L"7", L"8192"}),
        Texts(upload, {IDC_PROGRESS_FILE_COUNT, IDC_PROGRESS_DIR_COUNT, IDC_PROGRESS_BYTE_COUNT}));
    EXPECT_EQ(25, BarPosition(upload, IDC_PROGRESS_FILE_BAR));
    EXPECT_EQ(L"1.00/4.00kb at 4.00kb/sec", Text(upload, IDC_PROGRESS_FILE_TEXT));
    EXPECT_EQ(L"Failed: 2 files, 1 folders", Text(upload, IDC_PROGRESS_FAILURES));
    EXPECT_TRUE(Visible(upload.GetItem(IDCANCEL)));
    EXPECT_FALSE(Visible(upload.GetItem(IDOK)));
    SendMessageW(upload.GetItem(IDCANCEL), BM_CLICK, 0, 0);

    EXPECT_EQ((std::vector<std::pair<UINT, WPARAM>>{{WM_APP_DOWNLOAD_PANEL_BUTTON, panelCancel},
                                                    {WM_APP_DOWNLOAD_PANEL_BUTTON, panelDone},
                                                    {WM_APP_UPLOAD_PANEL_BUTTON, panelCancel}}),
              view.buttons);

    // The list comes back only when no panel is left.
    view.ShowDownloadPanel(false);
    EXPECT_FALSE(ListShown());
    view.ShowUploadPanel(false);
    EXPECT_TRUE(ListShown());
}
