#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "app/FtpClientApp.h"
#include "browsers/FtpBrowseWnd.h"
#include "ftp/SftpFS.h"
#include "resources/resource.h"
#include "settings/SessionInfo.h"
#include "settings/TrustedHostKeys.h"

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

// The engine a bench view talks through: FTP, or SFTP when the environment's
// CORVANE_BENCH_SFTP_KEY names a private key (a Windows path) to log in with.
// The server's host key (CORVANE_BENCH_SFTP_HOSTKEY, its SHA-256 fingerprint)
// is stored first as the user's "Always trust" stores it, so that no prompt
// stops the login nor the transfers' own logins.
inline std::shared_ptr<RemoteFS> MakeBenchEngine(FtpClientApp& app, const wchar_t* host,
                                                 INTERNET_PORT port, DWORD encryption) {
    const wchar_t* keyFile = _wgetenv(L"CORVANE_BENCH_SFTP_KEY");
    if (!keyFile || !*keyFile) {
        auto ftp = std::make_shared<FtpFS>();
        ftp->SetEncryption(encryption);
        return ftp;
    }
    const wchar_t* hostKey = _wgetenv(L"CORVANE_BENCH_SFTP_HOSTKEY");
    if (!app.registry.IsOpen()) {
        app.registry.SetMakerKey(L"Ostrel");
        app.registry.SetProductKey(L"Corvane");
        app.registry.Open();
    }
    TrustedHostKeys::Trust(app.registry, host, port, hostKey ? hostKey : L"");
    return std::make_shared<SftpFS>(keyFile);
}

// A view over the whole frame (FTP, or SFTP as above), logged in and shown;
// null (with the reason printed) when the login fails.
inline FtpBrowseWnd* OpenBenchView(FtpClientApp& app, const wchar_t* host, const wchar_t* port,
                                   const wchar_t* user, const wchar_t* password,
                                   DWORD encryption = kPlainFtp) {
    RECT client;
    app.frame.GetClientRect(&client);
    auto* view = new FtpBrowseWnd(
        MakeBenchEngine(app, host, static_cast<INTERNET_PORT>(_wtoi(port)), encryption));
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
