// How long the program's frame takes to answer while its FTP view works: a real
// frame on the display logs in (passive mode) to the server and then, every half second, does
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
    ULONGLONG end;
    const char* label;
    FrameProbe probe;
    HANDLE done;  // set when the frame's thread has finished
};

// Probes to the end, prints, and ends the process should the frame's thread
// still be stuck then (a login that never returns): the figures are what counts.
DWORD WINAPI RunProbe(void* argument) {
    auto* run = static_cast<ProbeRun*>(argument);
    run->probe.Run(run->frame, run->end);
    run->probe.Print(run->label);
    if (WaitForSingleObject(run->done, 10000) == WAIT_TIMEOUT) {
        printf("%s: the frame's thread was still busy at the end\n", run->label);
        fflush(stdout);
        ExitProcess(0);
    }
    return 0;
}

// Posted, as input would be: the frame's thread takes it when it is free.
void DoubleClick(ListViewCtl& list, int row) {
    PostMessageW(list.GetHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, SelectForDoubleClick(list, row));
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

// The program's message loop until the tick count `end`, with an action every half second.
void Drive(FtpClientApp& app, FtpBrowseWnd* view, Actions& actions, ULONGLONG end) {
    UINT_PTR timer = SetTimer(nullptr, 0, 500, nullptr);
    for (ULONGLONG now; (now = GetTickCount64()) < end;) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
        MSG message;
        // A timer is due again whenever an action took longer than its period.
        while (GetTickCount64() < end && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
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
    // Passive, as across a router: the long link's servers sit behind a proxy that
    // carries only connections made to them.
    app.options.SetUsePassive(true);
    if (!StartBenchFrame(app, 520, 680)) return 1;
    DWORD seconds = static_cast<DWORD>(_wtoi(argv[6]));
    std::string label(argv[1], argv[1] + wcslen(argv[1]));
    ProbeRun run = {app.frame.GetHandle(), GetTickCount64() + seconds * 1000ull, label.c_str(),
                    FrameProbe(), CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    HANDLE thread = CreateThread(nullptr, 0, RunProbe, &run, 0, nullptr);
    // A login that fails (a server that never finishes a reply) still counts:
    // the frame goes on and refreshes.
    FtpBrowseWnd* view = OpenBenchView(app, argv[2], argv[3], argv[4], argv[5]);
    Actions actions = {argv + 7, argc - 7};
    Drive(app, view, actions, run.end);
    SetEvent(run.done);
    // The probe may be waiting for the frame's answer: answer while waiting for it.
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    CloseHandle(thread);
    printf("%s: %s, %d actions, %d folder opens\n", label.c_str(), view ? "logged in" : "no login",
           actions.made, actions.opened);
    return 0;
}
