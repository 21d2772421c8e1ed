#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

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

// The row of that name, -1 when none.
inline int RowOf(ListViewCtl& list, const wchar_t* name) {
    for (int row = 0; row < list.GetItemCount(); ++row) {
        wchar_t text[512] = L"";
        ListView_GetItemText(list.GetHandle(), row, 0, text, 512);
        if (wcscmp(text, name) == 0) return row;
    }
    return -1;
}

// A user's double click on the row: its first click selects and focuses the
// row; the second goes to the list at the point this gives (WM_LBUTTONDBLCLK's lParam).
inline LPARAM SelectForDoubleClick(ListViewCtl& list, int row) {
    list.SetItemState(-1, 0, LVIS_SELECTED | LVIS_FOCUSED);
    list.SetItemState(row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    RECT rect = {LVIR_LABEL, 0, 0, 0};
    SendMessageW(list.GetHandle(), LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect));
    return MAKELPARAM(rect.left + 2, (rect.top + rect.bottom) / 2);
}

// An FTP view over the whole frame, logged in and shown; null (with the reason
// printed) when the login fails.
inline FtpBrowseWnd* OpenBenchView(FtpClientApp& app, const wchar_t* host, const wchar_t* port,
                                   const wchar_t* user, const wchar_t* password,
                                   DWORD encryption = kPlainFtp) {
    RECT client;
    app.frame.GetClientRect(&client);
    auto engine = std::make_shared<FtpFS>();
    engine->SetEncryption(encryption);
    auto* view = new FtpBrowseWnd(engine);
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
