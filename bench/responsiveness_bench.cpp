// How long the program's frame takes to answer while its FTP view works: a real
// frame on the display logs in to the server and then, every half second, does
// what a user would: opens one of the named folders by a double click on its
// row, goes back up (View > Up) from inside one, and every third time refreshes
// (View > Refresh). Meanwhile a probe thread sends the frame WM_NULL every
// 50 ms and times each answer (bench/FrameProbe.h); the login counts too.
// Prints the longest wait and the 99th percentile, and how many actions were
// made. The actions are posted as the user's input would be, so the bench works
// whether the view waits for the server on its own thread or not.
//
// usage: responsiveness_bench label host port user password seconds folder...
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "bench/BenchFrame.h"
#include "bench/FrameProbe.h"

namespace {

struct ProbeRun {
    HWND frame;
    volatile bool stop;
    FrameProbe probe;
};

DWORD WINAPI RunProbe(void* argument) {
    auto* run = static_cast<ProbeRun*>(argument);
    run->probe.Run(run->frame, run->stop);
    return 0;
}

int RowOf(ListViewCtl& list, const wchar_t* name) {
    for (int row = 0; row < list.GetItemCount(); ++row) {
        wchar_t text[512] = L"";
        ListView_GetItemText(list.GetHandle(), row, 0, text, 512);
        if (wcscmp(text, name) == 0) return row;
    }
    return -1;
}

// The user's double click on the row.
void DoubleClick(ListViewCtl& list, int row) {
    list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    RECT rect = {LVIR_LABEL, 0, 0, 0};
    SendMessageW(list.GetHandle(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
    PostMessageW(list.GetHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON,
                 MAKELPARAM(rect.left + 2, (rect.top + rect.bottom) / 2));
}

// One user action: into the next named folder shown, else up; every third a refresh.
struct Actions {
    wchar_t** folders;
    int count;
    int made = 0, opened = 0;

    void Next(FtpClientApp& app, FtpBrowseWnd* view) {
        HWND frame = app.frame.GetHandle();
        if (++made % 3 == 0 || !view) {
            PostMessageW(frame, WM_COMMAND, IDM_REFRESH, 0);
            return;
        }
        for (int i = 0; i < count; ++i) {
            int row = RowOf(view->GetFileList(), folders[(opened + i) % count]);
            if (row >= 0) {
                DoubleClick(view->GetFileList(), row);
                ++opened;
                return;
            }
        }
        PostMessageW(frame, WM_COMMAND, IDM_UP, 0);
    }
};

// The program's message loop for the given time, with an action every half second.
void Drive(FtpClientApp& app, FtpBrowseWnd* view, Actions& actions, DWORD seconds) {
    UINT_PTR timer = SetTimer(nullptr, 0, 500, nullptr);
    ULONGLONG end = GetTickCount64() + seconds * 1000ull;
    for (ULONGLONG now; (now = GetTickCount64()) < end;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_TIMER && !message.hwnd) {
                actions.Next(app, view);
                continue;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    KillTimer(nullptr, timer);
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 8) {
        fprintf(stderr,
                "usage: responsiveness_bench label host port user password seconds folder...\n");
        return 2;
    }
    FtpClientApp app;
    if (!StartBenchFrame(app, 520, 680)) return 1;
    ProbeRun run = {app.frame.GetHandle(), false, FrameProbe()};
    HANDLE thread = CreateThread(nullptr, 0, RunProbe, &run, 0, nullptr);
    // A login that fails (a server that never finishes a reply) still counts:
    // the frame goes on and refreshes.
    FtpBrowseWnd* view = OpenBenchView(app, argv[2], argv[3], argv[4], argv[5]);
    Actions actions = {argv + 7, argc - 7};
    Drive(app, view, actions, static_cast<DWORD>(_wtoi(argv[6])));
    run.stop = true;
    // The probe may be waiting for the frame's answer: answer while waiting for it.
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    CloseHandle(thread);
    std::string label(argv[1], argv[1] + wcslen(argv[1]));
    run.probe.Print(label.c_str());
    printf("%s: %s, %d actions, %d folder opens\n", label.c_str(), view ? "logged in" : "no login",
           actions.made, actions.opened);
    return 0;
}
