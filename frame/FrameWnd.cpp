#include "frame/FrameWnd.h"

#include <aygshell.h>
#include <cecommandbar.h>

#include <string>

#include "app/FtpClientApp.h"
#include "browsers/FtpBrowseWnd.h"
#include "browsers/LocalBrowseWnd.h"
#include "dialogs/ConnectDlg.h"
#include "dialogs/ConnectingDlg.h"
#include "framework/CWinApp.h"
#include "framework/TextUtil.h"
#include "ftp/FtpFS.h"
#include "ftp/SftpFS.h"
#include "resources/resource.h"

namespace {

const size_t kTitleCapacity = 512;

// A view's engine speaks its session's protocol.
std::shared_ptr<RemoteFS> EngineFor(const SessionInfo& record) {
    if (record.protocol == kProtocolSftp) return std::make_shared<SftpFS>(record.keyFile);
    return std::make_shared<FtpFS>();
}

}  // namespace

FrameWnd::FrameWnd()
    : menuBarId(0), currentView(nullptr), menuBar(nullptr), localView(nullptr), upButton() {
    upButton.iBitmap = 0;
    upButton.idCommand = IDM_UP;
    upButton.fsState = TBSTATE_ENABLED;
    upButton.fsStyle = TBSTYLE_BUTTON;
}

// The local view outlives the frame object: it ends with the process. The
// connections' views are closed when the frame quits.
FrameWnd::~FrameWnd() {}

bool FrameWnd::RegisterWindowClass(HINSTANCE instance) {
    return RegisterProgramWindowClass(instance, kClassName);
}

bool FrameWnd::CreateFrame(const wchar_t* text, DWORD style, int x, int y, int width, int height,
                           UINT menuBarResource) {
    menuBarId = menuBarResource;
    return Create(kClassName, text, style, x, y, width, height, nullptr, nullptr);
}

LRESULT FrameWnd::OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            hwnd = handle;
            OnCreate();
            break;
        case WM_DESTROY:
            Quit();
            break;
        case WM_WINDOWPOSCHANGED:
            ResizeViews();
            break;
        case WM_COMMAND:
            HandleCommand(LOWORD(wParam), HIWORD(wParam), lParam);
            break;
        case WM_INITMENUPOPUP:
            PrepareMenuPopup(reinterpret_cast<HMENU>(wParam), LOWORD(lParam), HIWORD(lParam));
            break;
        case WM_SETFOCUS:
            // Back from a menu or a message box, the keys go to the view shown.
            if (BrowseWnd* view = GetCurrentView()) view->Focus();
            break;
    }
    return BaseWnd::OnWindowMessage(handle, message, wParam, lParam);
}

void FrameWnd::OnCreate() {
    CreateMenuBar();
    CreateLocalView();
    UpdateTitle();
    FillSessionMenus();
}

void FrameWnd::CreateMenuBar() {
    SHMENUBARINFO info = {};
    info.cbSize = sizeof(info);
    info.hwndParent = hwnd;
    info.nToolBarId = menuBarId;
    info.hInstRes = GetWinApp()->GetInstance();
    if (!SHCreateMenuBar(&info)) {
        MessageBoxW(hwnd, L"SHCreateMenuBar Failed", L"Error", MB_OK);
        info.hwndMB = nullptr;
    }
    menuBar = info.hwndMB;
    if (!menuBar) return;
    int image = CommandBar_AddBitmap(menuBar, GetWinApp()->GetInstance(), IDB_UP, 1, 16, 16);
    if (image >= 0) upButton.iBitmap = image;
    SendTo(menuBar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&upButton));
}

void FrameWnd::CreateLocalView() {
    RECT client;
    GetClientRect(&client);
    LocalBrowseWnd* view = new LocalBrowseWnd;
    view->CreateBrowser(L"BrowseWnd", WS_CHILD | WS_VISIBLE, client.left, client.top,
                        client.right - client.left, client.bottom - client.top, this);
    localView = currentView = views.AddTail(view);
    view->Refresh();
}

// Hidden views follow too, so a view switched to later already fits.
void FrameWnd::ResizeViews() {
    RECT client;
    GetClientRect(&client);
    for (ViewNode* node = views.GetHead(); node; node = node->next)
        node->element->Move(client.left, client.top, client.right - client.left,
                            client.bottom - client.top, true);
}

// The new view lies on top of the shown one while its login runs; a login
// that fails or is given up leaves the frame as it was.
bool FrameWnd::ConnectWithDialog(ConnectDlg& dialog) {
    dialog.SetSessions(&GetApp()->sessions);
    if (dialog.DoModal(this) != IDOK) return false;
    SessionInfo& record = dialog.Record();
    RECT client;
    GetClientRect(&client);
    FtpBrowseWnd* view = new FtpBrowseWnd(EngineFor(record));
    view->CreateBrowser(L"BrowseWnd", WS_CHILD | WS_VISIBLE, client.left, client.top,
                        client.right - client.left, client.bottom - client.top, this);
    ConnectingDlg connecting;
    connecting.SetEncryption(record.encryption);
    connecting.SetProtocol(record.protocol);
    connecting.SetPlainLoginAllowed(record.bPlainLogin != 0);
    int result = connecting.Run(view, record.host, record.user, record.password, record.name,
                                static_cast<INTERNET_PORT>(record.port), IDD_CONNECTING, this);
    if (result == ConnectingDlg::kLoggedIn) {
        if (connecting.PlainLoginRemembered()) record.bPlainLogin = 1;
        LONG offset = record.serverTimeOffset;
        view->GetEngine().SetServerClock(ServerClock{offset != kNoServerOffset, offset});
        AddView(view, record.name[0] ? record.name : record.host);
        return true;
    }
    if (result == ConnectingDlg::kFailed)
        MessageBoxW(hwnd, connecting.FailureText().c_str(), L"Failed", MB_ICONHAND | MB_OK);
    view->DestroyWnd();
    delete view;
    return false;
}

void FrameWnd::AddView(BrowseWnd* view, const wchar_t* menuText) {
    if (currentView) currentView->element->Show(SW_HIDE);
    ViewNode* node = views.AddTail(view);
    currentView = node;
    view->Refresh();
    view->Show(SW_SHOW);
    AddViewItems(menuText, node);
    UpdateTitle();
}

void FrameWnd::UpdateTitle() {
    std::wstring title = L"Ftp [Local]";
    if (currentView && currentView != localView)
        title = std::wstring(L"Ftp [") + currentView->element->GetSessionName() + L"]" +
                currentView->element->GetProtectionNote();
    wchar_t text[kTitleCapacity];
    CopyTextCut(text, title.c_str());
    SetText(text);
}

void FrameWnd::SwitchTo(ViewNode* node) {
    if (currentView) currentView->element->Show(SW_HIDE);
    currentView = node;
    node->element->Show(SW_SHOW);
    UpdateTitle();
}

FrameWnd::ViewNode* FrameWnd::FindNode(BrowseWnd* view) const {
    for (ViewNode* node = views.GetHead(); node; node = node->next)
        if (node->element == view) return node;
    return nullptr;
}

bool FrameWnd::HoldsNode(const ViewNode* node) const {
    for (ViewNode* held = views.GetHead(); held; held = held->next)
        if (held == node) return true;
    return false;
}

void FrameWnd::ShowView(BrowseWnd* view) {
    ViewNode* node = FindNode(view);
    if (node && node != currentView) SwitchTo(node);
}

BrowseWnd* FrameWnd::GetCurrentView() const { return currentView ? currentView->element : nullptr; }

BrowseWnd* FrameWnd::GetLocalView() const { return localView ? localView->element : nullptr; }

const wchar_t* FrameWnd::GetLocalPath() const {
    return localView ? localView->element->GetCurrentPath() : nullptr;
}

void FrameWnd::GetRemoteViews(PtrList<BrowseWnd*>& remoteViews) const {
    for (ViewNode* node = views.GetHead(); node; node = node->next)
        if (node != localView) remoteViews.AddTail(node->element);
}

void FrameWnd::SetToolButtonState(UINT commandId, BYTE state) {
    if (!menuBar) return;
    TBBUTTONINFOW info = {};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_STATE;
    info.fsState = state;
    SendTo(menuBar, TB_SETBUTTONINFOW, commandId ? commandId : IDM_UP,
           reinterpret_cast<LPARAM>(&info));
}

void FrameWnd::CloseNode(ViewNode* node) {
    BrowseWnd* view = node->element;
    RemoveViewItems(node);
    bool wasCurrent = node == currentView;
    views.RemoveNode(node);
    if (wasCurrent) {
        currentView = localView;
        localView->element->Show(SW_SHOW);
    }
    view->DestroyWnd();
    delete view;
    UpdateTitle();
}

void FrameWnd::CloseRemoteViews() {
    while (views.GetTail() && views.GetTail() != localView) CloseNode(views.GetTail());
}

// The workers end before the process does: one killed at the exit could hold
// a lock of the C runtime that the exit itself then waits for.
void FrameWnd::Quit() {
    CloseRemoteViews();
    PostQuitMessage(0);
}

// Closing through "Current View" falls back to the view opened before it.
void FrameWnd::CloseCurrentView() {
    if (!currentView || currentView == localView) return;
    ViewNode* node = currentView;
    BrowseWnd* view = node->element;
    RemoveViewItems(node);
    currentView = node->prev ? node->prev : localView;
    views.RemoveNode(node);
    view->DestroyWnd();
    delete view;
    currentView->element->Show(SW_SHOW);
    UpdateTitle();
}
