#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "app/FtpClientApp.h"
#include "browsers/FtpBrowseWnd.h"
#include "resources/resource.h"
#include "settings/SessionInfo.h"

// The program's own frame and views for the benchmarks that drive them, set up
// as the program's start-up and Connect command do.
inline bool StartBenchFrame(FtpClientApp& app, int width, int height) {
    app.SetInstance(GetModuleHandleW(nullptr));
    BrowseWnd::RegisterWindowClass(app.GetInstance());
    FrameWnd::RegisterWindowClass(app.GetInstance());
    InitCommonControls();
    return app.frame.CreateFrame(L"Corvane", WS_VISIBLE, 0, 0, width, height, IDR_MENUBAR);
}

// Handles the thread's messages until the view's requests have ended and
// their results show: the view asks the server on its connection's thread.
inline void WaitForView(BrowseWnd& view) {
    MSG message;
    while (!view.IsIdle()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

// An FTP view over the whole frame, logged in and shown; null (with the reason
// printed) when the login fails.
inline FtpBrowseWnd* OpenBenchView(FtpClientApp& app, const wchar_t* host, const wchar_t* port,
                                   const wchar_t* user, const wchar_t* password,
                                   DWORD encryption = kPlainFtp) {
    RECT client;
    app.frame.GetClientRect(&client);
    auto* view = new FtpBrowseWnd;
    view->GetEngine().SetEncryption(encryption);
    if (!view->CreateBrowser(L"BrowseWnd", WS_CHILD | WS_VISIBLE, 0, 0, client.right, client.bottom,
                             &app.frame) ||
        !view->Connect(host, user, password, L"bench", static_cast<INTERNET_PORT>(_wtoi(port)))) {
        fprintf(stderr, "connect failed: error %lu\n", GetLastError());
        return nullptr;
    }
    app.frame.AddView(view, L"bench");
    WaitForView(*view);
    if (!view->GetEngine().IsConnected()) {
        fprintf(stderr, "connect failed: error %lu\n", view->GetEngine().ConnectError());
        return nullptr;
    }
    return view;
}
