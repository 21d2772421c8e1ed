#include "browsers/FtpBrowseWnd.h"

#include <cwchar>

#include "browsers/NameInputDlg.h"
#include "frame/FrameWnd.h"
#include "framework/CWinApp.h"
#include "framework/TextUtil.h"
#include "resources/resource.h"

namespace {

const int kFtpContextMenu = 1;

class WaitCursor {
  public:
    WaitCursor() { GetWinApp()->ShowWaitCursor(); }
    ~WaitCursor() { GetWinApp()->HideWaitCursor(); }
};

}  // namespace

FtpBrowseWnd::FtpBrowseWnd()
    : dropped(0), currentDir(), sessionName(), host(), user(), contextMenus(nullptr) {}

FtpBrowseWnd::~FtpBrowseWnd() {
    if (contextMenus) DestroyMenu(contextMenus);
}

void FtpBrowseWnd::SetLabels(const wchar_t* hostName, const wchar_t* userName,
                             const wchar_t* session) {
    if (hostName) CopyTextEllipsis(host, hostName);
    if (userName) CopyTextEllipsis(user, userName);
    if (session) CopyTextEllipsis(sessionName, session);
}

bool FtpBrowseWnd::Connect(const wchar_t* hostName, const wchar_t* userName,
                           const wchar_t* password, const wchar_t* session, INTERNET_PORT port) {
    SetLabels(hostName, userName, session);
    return engine.Connect(hostName, userName, password, port) == S_OK;
}

void FtpBrowseWnd::AdoptLogin(FtpFS& loggedIn, const wchar_t* hostName, const wchar_t* userName,
                              const wchar_t* session) {
    SetLabels(hostName, userName, session);
    engine.TakeConnectionOf(loggedIn);
}

bool FtpBrowseWnd::IsIdle() { return !engine.IsBusy(); }

void FtpBrowseWnd::Refresh() {
    WaitCursor wait;
    ClearItems();
    WIN32_FIND_DATAW data;
    for (HRESULT found = engine.FindFirst(&data, nullptr, INTERNET_FLAG_NO_CACHE_WRITE);
         found == S_OK; found = engine.FindNext(&data)) {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            AddFolderItem(data.cFileName);
        else
            AddFileItem(data.cFileName, data.nFileSizeLow);
    }
    engine.FindClose();
    AddFolderItem(L"..");
    UpdatePathHistory();
}

// Every refresh asks for the directory, so this is where a drop shows. The
// history keeps no stale path then: null stands for "unknown".
const wchar_t* FtpBrowseWnd::GetCurrentPath() {
    wchar_t path[FtpFS::kTextCapacity];
    DWORD length = FtpFS::kTextCapacity;
    if (engine.GetCurrentDir(path, &length) != S_OK) {
        ReportDropped();
        return nullptr;
    }
    CopyText(currentDir, path);
    return currentDir;
}

// The close request is posted only after the message box: the frame must not
// delete the view while it still runs here.
void FtpBrowseWnd::ReportDropped() {
    if (dropped) return;
    dropped = 1;
    wchar_t text[2 * kLabelCapacity + 32];
    swprintf(text, sizeof(text) / sizeof(text[0]), L"Server %ls, Session %ls dropped", host,
             sessionName);
    MessageBoxW(hwnd, text, L"ERROR", MB_ICONHAND);
    PostMessageW(GetParent(hwnd), FrameWnd::kCloseViewMessage, reinterpret_cast<WPARAM>(this), 0);
}

// The server resolves ".."; a failed change lists the old directory again.
void FtpBrowseWnd::OpenFolder(const wchar_t* name) {
    engine.SetCurrentDir(name);
    Refresh();
}

void FtpBrowseWnd::SetCurrentPath(const wchar_t* path) { engine.SetCurrentDir(path); }

void FtpBrowseWnd::DeleteFileItem(const wchar_t* name) {
    if (engine.DeleteRemoteFile(name) != S_OK)
        MessageBoxW(hwnd, L"Can't delete file", L"Error", MB_ICONHAND);
}

void FtpBrowseWnd::DeleteFolderItem(const wchar_t* name) {
    WaitCursor wait;
    engine.DeleteRemoteTree(name);
}

// The name is asked in a dialog over the frame, which waits meanwhile.
int FtpBrowseWnd::CreateFolder(wchar_t* name) {
    NameInputDlg input;
    input.SetPrompt(L"Directory name:");
    if (input.DoModal(this) != IDOK) return -2;
    CopyTextCut(name, kNameCapacity, input.GetValue());
    if (!engine.CreateRemoteDir(name)) return -1;
    return AddFolderItem(name);
}

HMENU FtpBrowseWnd::GetContextMenu() {
    if (!contextMenus) contextMenus = GetWinApp()->LoadMenuResource(IDR_CONTEXT_MENUS);
    return contextMenus ? GetSubMenu(contextMenus, kFtpContextMenu) : nullptr;
}

// While a transfer runs, the worker is the connection's only user.
void FtpBrowseWnd::UpdateMenuItems(HMENU menu, WORD buttonId, WORD) {
    SetViewCommandsState(menu, buttonId, IsIdle() ? MF_ENABLED : MF_GRAYED);
}
