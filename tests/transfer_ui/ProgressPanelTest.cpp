#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <climits>

#include "browsers/BrowseWnd.h"
#include "framework/TextMeasure.h"
#include "resources/resource.h"
#include "support/DialogDriver.h"
#include "support/GuiApp.h"
#include "support/ScratchFolder.h"
#include "transfer_ui/ProgressText.h"
#include "transfer_ui/RecentRate.h"

namespace {

const ULONGLONG kMiB = 1ull << 20, kGiB = 1ull << 30;

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

// A run of three connections, 3 of 40 files found so far, the folders still being listed.
RunTotals BusyRun() {
    RunTotals run = {};
    run.filesFound = 40;
    run.bytesFound = 3 * kGiB + 512 * kMiB;
    run.stillListing = 1;
    run.connections = 3;
    wcscpy(run.lines[0].file, L"a rather long file name from the server.iso");
    run.lines[0].fileBytes = 12 * kMiB;
    run.lines[0].fileSize = 40 * kMiB;
    wcscpy(run.lines[1].file, L"b.txt");
    run.lines[1].fileSize = 900;
    return run;
}

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
    // A finished download with every row in use: the run, its connections, a failure report.
    DownloadProgressDlg& FullDownloadPanel(const RunTotals& run) {
        DownloadProgressDlg& panel = view.GetDownloadPanel();
        panel.SetStorageFolder(target.Path().c_str());
        view.ShowDownloadPanel(true);
        panel.ShowFolder(L"photos");
        DownloadCounters counters = {3,          2,    409 * kMiB, 409 * kMiB,
                                     200 * kMiB, 5000, {12, 0, 0}, {}};
        counters.run = run;
        panel.ShowProgress(&counters);
        panel.AddReportLine(L"C:\\downloads\\photos\\unreadable.jpg: 550 Permission denied.");
        panel.SetButtonMode(panelDone);
        return panel;
    }
    // Every control shown lies inside the panel, apart from all others, and
    // each text that is not a name cut with an ellipsis has the room it needs.
    void ExpectLaidOut(ProgressPanel& panel, const char* where) {
        RECT client;
        ::GetClientRect(panel.GetHandle(), &client);
        std::vector<std::pair<HWND, RECT>> shown;
        for (HWND child = GetWindow(panel.GetHandle(), GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            if (!IsWindowVisible(child)) continue;
            RECT rect;
            ::GetWindowRect(child, &rect);
            MapWindowPoints(nullptr, panel.GetHandle(), reinterpret_cast<POINT*>(&rect), 2);
            int id = GetDlgCtrlID(child);
            EXPECT_TRUE(rect.left >= 0 && rect.top >= 0 && rect.right <= client.right &&
                        rect.bottom <= client.bottom && rect.right > rect.left)
                << where << ": control " << id << " lies outside the panel";
            ExpectRoomForText(child, rect, where);
            for (const auto& other : shown) {
                RECT overlap;
                EXPECT_FALSE(IntersectRect(&overlap, &rect, &other.second))
                    << where << ": controls " << id << " and " << GetDlgCtrlID(other.first)
                    << " overlap";
            }
            if (id != IDOK && id != IDCANCEL) shown.push_back({child, rect});
        }
    }
    void ExpectRoomForText(HWND control, const RECT& rect, const char* where) {
        wchar_t className[32];
        GetClassNameW(control, className, 32);
        LONG style = GetWindowLongW(control, GWL_STYLE);
        if (_wcsicmp(className, L"Static") != 0 || (style & (SS_ENDELLIPSIS | SS_PATHELLIPSIS)))
            return;
        std::wstring text = ItemText(GetParent(control), GetDlgCtrlID(control));
        SIZE needed = MeasureText(control, text, DT_WORDBREAK, rect.right - rect.left);
        EXPECT_LE(needed.cy, rect.bottom - rect.top) << where << ": \"" << text.size() << "\" cut";
        EXPECT_LE(needed.cx, rect.right - rect.left)
            << where << ": a word of " << GetDlgCtrlID(control) << " cut";
    }

    GuiApp app;
    PanelHostView view;
    ScratchFolder target;
};

std::wstring Amount(ULONGLONG done, ULONGLONG size) { return AmountText(done, size); }

}  // namespace

// The figures in the lists' units: two decimals for amounts, one for rates
// and the room left, whole bytes below a kilobyte (the panel's tests read the
// rest: the run's line, the time left, a failure's line).
TEST(ProgressTextTest, FiguresReadInTheListsUnits) {
    struct Case {
        std::wstring shown, expected;
    };
    const ULONGLONG odd = 409 * kMiB + 614 * 1024 + 410;
    // clang-format off
    const Case cases[] = {
        {BytesText(0), L"0 b"}, {Amount(odd, odd), L"409.60 of 409.60 mb"},
        {Amount(300 * 1024, 2 * kMiB), L"0.29 of 2.00 mb"},  // the size's unit for both
        {Amount(3 * kMiB, 2 * kMiB), L"3.00 of 2.00 mb"},    // a file that grew meanwhile
        {RateText(85.3 * kMiB), L"85.3 mb/s"}, {RateText(1536), L"1.5 kb/s"},
        {StorageText(75 * kGiB + kGiB / 5, 264 * kGiB + kGiB / 5), L"75.2 gb free of 264.2 gb"},
        {DurationText(42999), L"0:42"}, {TimeText(0, 0, false, 0), L"0 b/s, 0:00 elapsed"},
        {FailureText(L"b.txt", L"451 Local error\n  disk full\n"),
         L"b.txt: 451 Local error   disk full"},
    };
    // clang-format on
    for (const Case& c : cases) EXPECT_EQ(c.expected, c.shown);

    EXPECT_EQ(50u, FilePercent(2000000000u, 4000000000u));  // no 32-bit overflow
    EXPECT_EQ(50u, FilePercent(ULLONG_MAX / 2, ULLONG_MAX));
    EXPECT_EQ(25u, FreeStorePercent(1024, 4096));
    EXPECT_EQ(0u, FreeStorePercent(0, 0));
}

// The rate shown is that of the last few seconds: the burst the socket's
// buffers take at the start fades out of it, and a new run starts afresh.
TEST(ProgressTextTest, RecentRateForgetsTheStartsBurst) {
    RecentRate rate;
    EXPECT_EQ(0.0, rate.BytesPerSecond());
    rate.Add(0, 0);
    rate.Add(60, 7 * kMiB);  // the buffers' swallow
    EXPECT_GT(rate.BytesPerSecond(), 100.0 * kMiB);
    for (DWORD ms = 1060; ms <= 10060; ms += 1000)
        rate.Add(ms, 7 * kMiB + (ms - 60) / 1000 * 2 * kMiB);
    EXPECT_DOUBLE_EQ(2.0 * kMiB, rate.BytesPerSecond());
    rate.Add(10060, 28 * kMiB);  // no time passed: the window still spans its seconds
    EXPECT_GT(rate.BytesPerSecond(), 0.0);
    rate.Add(0, 0);  // the next run
    EXPECT_EQ(0.0, rate.BytesPerSecond());
    rate.Add(500, 1000);
    EXPECT_DOUBLE_EQ(2000.0, rate.BytesPerSecond());
}

TEST_F(ProgressPanelTest, DownloadPanelTakesTheListsPlaceAndShowsTheRun) {
    ASSERT_TRUE(ListShown());
    DownloadProgressDlg& panel = view.GetDownloadPanel();
    panel.SetStorageFolder(target.Join(L"not made yet").c_str());
    view.ShowDownloadPanel(true);
    ASSERT_TRUE(panel.GetHandle() && Visible(panel.GetHandle()));
    EXPECT_FALSE(Visible(view.GetFileList().GetHandle()) || Visible(view.GetPathBox().GetHandle()));
    EXPECT_EQ((std::vector<std::wstring>{L"Downloading in progress...", L"work", L"ftp.example.org",
                                         L"anna"}),
              Texts(panel, {IDC_PROGRESS_HEADING, IDC_PROGRESS_SESSION, IDC_PROGRESS_HOST,
                            IDC_PROGRESS_USER}));

    panel.ShowFolder(L"photos");
    EXPECT_EQ(L"photos [Folder]", Text(panel, IDC_DOWNLOAD_CURRENT_ITEM));
    DownloadCounters counters = {3, 2, 4096, 2048, 1024, 1000, {}, {}};
    panel.ShowProgress(&counters);
    counters.totalBytes = 5 * kGiB;  // past 32 bits
    counters.elapsedMs = 2000;
    panel.ShowProgress(&counters);
    EXPECT_EQ(L"5.00 gb", Text(panel, IDC_PROGRESS_BYTE_COUNT));
    EXPECT_EQ(50, BarPosition(panel, IDC_PROGRESS_FILE_BAR));
    EXPECT_EQ(L"1.00 of 2.00 kb", Text(panel, IDC_PROGRESS_FILE_TEXT));
    // The walk found nothing to count yet: no run bar, no time left, no connection lines.
    EXPECT_EQ(L"5.0 gb/s, 0:02 elapsed", Text(panel, IDC_PROGRESS_TIME_TEXT));
    EXPECT_FALSE(Visible(panel.GetItem(IDC_PROGRESS_RUN_BAR)));
    EXPECT_FALSE(Visible(panel.GetItem(IDC_PROGRESS_CONNECTION_FIRST)));
    EXPECT_EQ(
        (std::vector<std::wstring>{L"3", L"", L"2"}),
        Texts(panel, {IDC_PROGRESS_FILE_COUNT, IDC_PROGRESS_FAILURES, IDC_PROGRESS_DIR_COUNT}));

    // Once the walk counts the run: its bar, totals, time left and a line per connection.
    counters.run = BusyRun();
    counters.totalBytes = 5 * kGiB + 2 * kMiB;  // beyond what was found: the bar stays full
    counters.elapsedMs = 3000;
    panel.ShowProgress(&counters);
    EXPECT_EQ(100, BarPosition(panel, IDC_PROGRESS_RUN_BAR));
    counters.run.bytesFound = 10 * kGiB + 6 * kMiB;
    counters.elapsedMs = 4000;
    panel.ShowProgress(&counters);
    counters.totalBytes = 5 * kGiB + 3 * kMiB;
    counters.elapsedMs = 5000;
    panel.ShowProgress(&counters);
    EXPECT_EQ(50, BarPosition(panel, IDC_PROGRESS_RUN_BAR));
    EXPECT_EQ(L"3 of 40 files, 5.00 of 10.01 gb (the total is still growing)",
              Text(panel, IDC_PROGRESS_RUN_TEXT));
    // 3 mb in the last 3 s, the 5 gb burst before them forgotten; 5123 mb still to come.
    EXPECT_EQ(L"1.0 mb/s, 0:05 elapsed, 1:25:23 left", Text(panel, IDC_PROGRESS_TIME_TEXT));
    EXPECT_EQ((std::vector<std::wstring>{
                  L"1: 12.00 of 40.00 mb, a rather long file name from the server.iso",
                  L"2: 0 of 900 b, b.txt", L"3: waiting for a file", L""}),
              Texts(panel, {IDC_PROGRESS_CONNECTION_FIRST, IDC_PROGRESS_CONNECTION_FIRST + 1,
                            IDC_PROGRESS_CONNECTION_FIRST + 2, IDC_PROGRESS_CONNECTION_FIRST + 3}));
    EXPECT_FALSE(Visible(panel.GetItem(IDC_PROGRESS_CONNECTION_FIRST + 3)));
    // A new file restarts the bar; an empty one shows it full.
    panel.ShowFile(L"empty file.txt");
    EXPECT_EQ(L"empty file.txt [File]", Text(panel, IDC_DOWNLOAD_CURRENT_ITEM));
    EXPECT_EQ(0, BarPosition(panel, IDC_PROGRESS_FILE_BAR));
    DownloadCounters empty = {4, 2, 4096, 0, 0, 1000, {0, 0, 1}, {}};
    panel.ShowProgress(&empty);
    EXPECT_EQ(100, BarPosition(panel, IDC_PROGRESS_FILE_BAR));
    EXPECT_EQ(L"Failed: the connection was lost", Text(panel, IDC_PROGRESS_FAILURES));
    panel.SetButtonMode(panelDone);
    EXPECT_EQ(L"Download failed", Text(panel, IDC_PROGRESS_HEADING));

    view.ShowDownloadPanel(false);
    EXPECT_FALSE(panel.GetHandle());
}

// A phone's width and a window's: every row whole, nothing on anything else;
// a view too short for them all scrolls instead; figures that grow or shrink
// keep every row in place.
TEST_F(ProgressPanelTest, EveryRowFitsAtAnyWidthAndSizeOfFigureAndAShortViewScrolls) {
    DownloadProgressDlg& panel = FullDownloadPanel(BusyRun());
    for (int width : {240, 520, 900}) {
        view.Move(0, 0, width, 560, true);
        RECT client;
        ::GetClientRect(panel.GetHandle(), &client);
        EXPECT_EQ(width, client.right) << "the panel takes the view's width";
        ExpectLaidOut(panel, width == 240 ? "240" : width == 520 ? "520" : "900");
        EXPECT_FALSE(GetWindowLongW(panel.GetHandle(), GWL_STYLE) & WS_VSCROLL);
    }
    view.Move(0, 0, 240, 200, true);
    EXPECT_TRUE(GetWindowLongW(panel.GetHandle(), GWL_STYLE) & WS_VSCROLL);
    SCROLLINFO info = {sizeof(info), SIF_ALL, 0, 0, 0, 0, 0};
    ASSERT_TRUE(GetScrollInfo(panel.GetHandle(), SB_VERT, &info));
    SendMessageW(panel.GetHandle(), WM_VSCROLL, SB_BOTTOM, 0);
    RECT done, client;
    ::GetWindowRect(panel.GetItem(IDOK), &done);
    MapWindowPoints(nullptr, panel.GetHandle(), reinterpret_cast<POINT*>(&done), 2);
    ::GetClientRect(panel.GetHandle(), &client);
    EXPECT_LE(done.bottom, client.bottom) << "scrolled to its foot, Done is in reach";
    EXPECT_GE(done.top, 0);
    view.Move(0, 0, 240, 560, true);
    EXPECT_FALSE(GetWindowLongW(panel.GetHandle(), GWL_STYLE) & WS_VSCROLL);
    ExpectLaidOut(panel, "240 after scrolling");

    // Reports come many times a second; a figure that needs another line, or one
    // line fewer, moves the rows below it, one that keeps its lines moves none.
    DownloadCounters small = {1, 1, 900, 900, 900, 1000, {}, {}};
    small.run = BusyRun();
    small.run.stillListing = 0;
    DownloadCounters large = small;
    large.filesDone = 123456;
    large.totalBytes = 3 * kGiB;
    large.run.stillListing = 1;  // "(the total is still growing)" takes a second line
    large.elapsedMs = 3723000;
    const struct {
        const DownloadCounters* counters;
        const char* where;
    } reports[] = {{&small, "small"}, {&large, "grown"}, {&small, "shrunk"}, {&large, "again"}};
    for (const auto& report : reports) {
        panel.ShowProgress(report.counters);
        ExpectLaidOut(panel, report.where);
    }
    RECT runText, timeText;
    ::GetWindowRect(panel.GetItem(IDC_PROGRESS_RUN_TEXT), &runText);
    ::GetWindowRect(panel.GetItem(IDC_PROGRESS_TIME_TEXT), &timeText);
    panel.ShowProgress(&small);
    RECT timeAfter;
    ::GetWindowRect(panel.GetItem(IDC_PROGRESS_TIME_TEXT), &timeAfter);
    EXPECT_LT(timeAfter.top, timeText.top) << "the row below a shorter text moves up";
    EXPECT_GT(runText.bottom - runText.top, 20) << "the grown text took two lines";
}

// The upload panel starts in Cancel mode by itself, reads the upload counters
// in their own order and tells the view of its button; the download panel's
// buttons and headings run through TransferViewTest's real runs.
TEST_F(ProgressPanelTest, TheUploadPanelReadsItsCountersAndTellsTheViewOfCancel) {
    view.ShowDownloadPanel(true);
    view.ShowUploadPanel(true);
    UploadProgressDlg& upload = view.GetUploadPanel();
    upload.ShowFile(L"r\u00e9sum\u00e9.txt");
    EXPECT_EQ(L"r\u00e9sum\u00e9.txt [File]", Text(upload, IDC_UPLOAD_CURRENT_ITEM));
    UploadCounters counters = {5, 8192, 4096, 1024, 2000, 7, {2, 1, 0}, {}};
    upload.ShowProgress(&counters);
    EXPECT_EQ(
        (std::vector<std::wstring>{L"5", L"7", L"8.00 kb"}),
        Texts(upload, {IDC_PROGRESS_FILE_COUNT, IDC_PROGRESS_DIR_COUNT, IDC_PROGRESS_BYTE_COUNT}));
    EXPECT_EQ(25, BarPosition(upload, IDC_PROGRESS_FILE_BAR));
    EXPECT_EQ(L"1.00 of 4.00 kb", Text(upload, IDC_PROGRESS_FILE_TEXT));
    EXPECT_EQ(L"Failed: 2 files, 1 folders", Text(upload, IDC_PROGRESS_FAILURES));
    EXPECT_TRUE(Visible(upload.GetItem(IDCANCEL)) && !Visible(upload.GetItem(IDOK)));
    SendMessageW(upload.GetItem(IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_EQ(L"Uploading in progress...", Text(upload, IDC_PROGRESS_HEADING));
    EXPECT_EQ((std::vector<std::pair<UINT, WPARAM>>{{WM_APP_UPLOAD_PANEL_BUTTON, panelCancel}}),
              view.buttons);

    // The list comes back only when no panel is left.
    view.ShowDownloadPanel(false);
    EXPECT_FALSE(ListShown());
    view.ShowUploadPanel(false);
    EXPECT_TRUE(ListShown());
}
