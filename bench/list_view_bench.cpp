// Times large folders in the program's own views: a real frame and its list
// view on the display, the folder opened by a double click on its row, then
// Refresh from the View menu and a click on each column header (twice, so both
// directions are timed). A time ends when the list holds every row and has
// painted them. Prints one line per step and the process's resident memory
// while each folder is shown.
//
// usage: list_view_bench local parent-folder name...
//        list_view_bench ftp host port user password parent-folder name...
// Each name is a folder inside parent-folder; they are opened one after another.
// With CORVANE_BENCH_SFTP_KEY set (bench/BenchFrame.h), the "ftp" view talks SFTP.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <functional>
#include <string>

#include "bench/BenchFrame.h"

namespace {

const int kColumns = 4;
const wchar_t* const kColumnNames[kColumns] = {L"name", L"size", L"type", L"modified"};

double Seconds(const std::function<void()>& step) {
    LARGE_INTEGER begin, end, frequency;
    QueryPerformanceCounter(&begin);
    step();
    QueryPerformanceCounter(&end);
    QueryPerformanceFrequency(&frequency);
    return double(end.QuadPart - begin.QuadPart) / double(frequency.QuadPart);
}

// Handles what is queued, paints included, as the program's loop would.
void Pump() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

// Waits for the view's listing and paints what it left invalid, so the time
// covers rows on the screen.
void ShowNow(BrowseWnd& view) {
    WaitForView(view);
    UpdateWindow(view.GetFileList().GetHandle());
    Pump();
}

// The user's double click; the list reports it to the view.
bool DoubleClick(ListViewCtl& list, const wchar_t* name) {
    int row = RowOf(list, name);
    if (row < 0) return false;
    SendMessageW(list.GetHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, SelectForDoubleClick(list, row));
    return true;
}

void ClickHeader(BrowseWnd& view, int column) {
    NMLISTVIEW notice = {};
    notice.hdr = {view.GetFileList().GetHandle(), 0, static_cast<UINT>(LVN_COLUMNCLICK)};
    notice.iItem = -1;
    notice.iSubItem = column;
    view.Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&notice));
}

double ResidentMiB() {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) return -1;
    return counters.WorkingSetSize / 1048576.0;
}

void Report(const char* side, const wchar_t* folder, const char* step, int rows, double seconds) {
    printf("%s %ls %s rows=%d %.3f s\n", side, folder, step, rows, seconds);
    fflush(stdout);
}

// Opens each folder, refreshes it, sorts it by every column both ways and goes back up.
bool TimeFolders(const char* side, FrameWnd& frame, BrowseWnd& view, wchar_t** names, int count) {
    ListViewCtl& list = view.GetFileList();
    for (int i = 0; i < count; ++i) {
        double open = Seconds([&] {
            if (DoubleClick(list, names[i])) ShowNow(view);
        });
        int rows = list.GetItemCount();
        if (rows < 2) {
            fprintf(stderr, "%s: %ls did not open\n", side, names[i]);
            return false;
        }
        Report(side, names[i], "open", rows, open);
        printf("%s %ls resident %.1f MiB\n", side, names[i], ResidentMiB());
        double refresh = Seconds([&] {
            frame.Send(WM_COMMAND, IDM_REFRESH, 0);
            ShowNow(view);
        });
        Report(side, names[i], "refresh", list.GetItemCount(), refresh);
        for (int column = 0; column < kColumns; ++column) {
            for (const char* direction : {"ascending", "descending"}) {
                double sort = Seconds([&] {
                    ClickHeader(view, column);
                    ShowNow(view);
                });
                char step[64];
                snprintf(step, sizeof(step), "sort-%ls-%s", kColumnNames[column], direction);
                Report(side, names[i], step, list.GetItemCount(), sort);
            }
        }
        view.OpenFolder(L"..");
        ShowNow(view);
    }
    return true;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    bool ftp = argc >= 8 && wcscmp(argv[1], L"ftp") == 0;
    bool local = argc >= 4 && wcscmp(argv[1], L"local") == 0;
    if (!ftp && !local) {
        fprintf(stderr,
                "usage: list_view_bench local parent-folder name...\n"
                "       list_view_bench ftp host port user password parent-folder name...\n");
        return 2;
    }
    FtpClientApp app;
    if (!StartBenchFrame(app, 520, 680)) return 1;
    Pump();
    if (local) {
        BrowseWnd& view = *app.frame.GetLocalView();
        view.SetCurrentPath(argv[2]);
        view.Refresh();
        ShowNow(view);
        return TimeFolders("local", app.frame, view, argv + 3, argc - 3) ? 0 : 1;
    }
    FtpBrowseWnd* view = OpenBenchView(app, argv[2], argv[3], argv[4], argv[5]);
    if (!view) return 1;
    view->SetCurrentPath(argv[6]);
    view->Refresh();
    ShowNow(*view);
    return TimeFolders("ftp", app.frame, *view, argv + 7, argc - 7) ? 0 : 1;
}
