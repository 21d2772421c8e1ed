#include "browsers/FtpBrowseWnd.h"

#include <cwchar>
#include <utility>

#include "browsers/NameInputDlg.h"
#include "frame/FrameWnd.h"
#include "framework/CWinApp.h"
#include "framework/TextUtil.h"
#include "ftp/EntryName.h"
#include "ftp/ServerReason.h"
#include "ftp/TransferMessages.h"
#include "resources/resource.h"

namespace {

const int kFtpContextMenu = 1;

class WaitCursor {
  public:
    WaitCursor() { GetWinApp()->ShowWaitCursor(); }
    ~WaitCursor() { GetWinApp()->HideWaitCursor(); }
};

// A LIST line of an older file gives its day and year but no time, which the
// listing reads as midnight: shown as the day alone rather than a made-up time.
bool IsDayOnly(uint64_t fileTime) {
    const uint64_t kDay = 24ull * 60 * 60 * 10000000;
    return fileTime != 0 && fileTime % kDay == 0;
}

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
    // A listing that breaks off shows what arrived; a dropped connection is
    // told when the path is asked for below.
    std::vector<ListedEntry> entries;
    WIN32_FIND_DATAW data;
    for (HRESULT found = engine.FindFirst(&data, nullptr, INTERNET_FLAG_NO_CACHE_WRITE);
         found == S_OK; found = engine.FindNext(&data)) {
        entries.push_back(ListedEntry::Of(data));
        entries.back().dateOnly = IsDayOnly(entries.back().modified);
    }
    engine.FindClose();
    ShowListing(std::move(entries));
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
    PostMessageW(GetParent(hwnd), WM_APP_CLOSE_VIEW, reinterpret_cast<WPARAM>(this), 0);
}

// The server resolves ".."; a failed change lists the old directory again.
// While a transfer runs the worker owns the connection and its directory.
void FtpBrowseWnd::OpenFolder(const wchar_t* name) {
    if (!IsIdle()) return;
    engine.SetCurrentDir(name);
    Refresh();
}

void FtpBrowseWnd::SetCurrentPath(const wchar_t* path) { engine.SetCurrentDir(path); }

void FtpBrowseWnd::DeleteFileItem(const wchar_t* name) {
    if (engine.DeleteRemoteFile(name) != S_OK)
        MessageBoxW(hwnd, FailureText(L"Can't delete file").c_str(), L"Error", MB_ICONHAND);
}

std::wstring FtpBrowseWnd::FailureText(const wchar_t* text) { return WithServerReason(text); }

// The row keeps its place and takes the new name; a file the new name
// replaced leaves the list too. A name that could leave the folder or break
// the command line is refused before anything is sent.
int FtpBrowseWnd::RenameItem(const wchar_t* oldName, const wchar_t* newName) {
    if (!newName || wcscmp(oldName, newName) == 0) return 1;
    if (!IsSafeNewName(newName)) {
        MessageBoxW(hwnd, L"Invalid name", L"Error", MB_ICONHAND);
        return 1;
    }
    int image = kFolderImage;
    bool replacing = FindRow(newName, &image) != -1 && image != kFolderImage;
    if (replacing && !MayReplace(newName)) return 1;
    WaitCursor wait;
    if (engine.RenameRemote(oldName, newName) != S_OK) {
        MessageBoxW(hwnd, FailureText(L"Can't rename").c_str(), L"Error", MB_ICONHAND);
        return 1;
    }
    int row = FindRow(oldName, &image);
    if (replacing || row == -1)
        Refresh();
    else
        RenameRow(row, newName);
    return 1;
}

// Servers replace a file of the new name without a word: the user decides.
// Onto a folder they refuse by themselves, and say why.
bool FtpBrowseWnd::MayReplace(const wchar_t* name) {
    std::wstring question = std::wstring(name) + L" already exists. Replace it?";
    return MessageBoxW(hwnd, question.c_str(), L"Rename", MB_YESNO | MB_ICONQUESTION) == IDYES;
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
    // A name that does not fit is refused: a cut one would make another folder.
    if (!CopyText(name, kNameCapacity, input.GetValue()) || !engine.CreateRemoteDir(name))
        return -1;
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

void FtpBrowseWnd::OnContextCommand(LPARAM lParam, WORD code, WORD id) {
    BrowseWnd::OnContextCommand(lParam, code, id);
    if (id == IDM_DOWNLOAD) DownloadSelection();
}

// Everything selected goes into the local view's folder; Up stays off until Done.
void FtpBrowseWnd::DownloadSelection() {
    FrameWnd* frame = GetFrame();
    if (!frame || !IsIdle()) return;
    const wchar_t* destination = frame->GetLocalPath();
    // The drives are no folder to write into.
    if (!destination || !destination[0]) {
        MessageBoxW(hwnd, L"Open a local folder to download into", L"Error", MB_ICONHAND);
        return;
    }
    TransferList items;
    CollectSelection(items, nullptr);
    if (!items.IsEmpty()) {
        frame->SetToolButtonState(IDM_UP, 0);
        GetDownloadPanel().SetStorageFolder(destination);
        if (engine.StartDownload(items, destination, hwnd) != S_OK)
            frame->SetToolButtonState(IDM_UP, TBSTATE_ENABLED);
    }
    ClearTransferList(items);
}

void FtpBrowseWnd::StartUpload(PtrList<WString*>& items) {
    if (!items.IsEmpty()) engine.StartUpload(items, hwnd);
}

LRESULT FtpBrowseWnd::OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    // The workers' questions; the view may be deleted while one is open: return at once.
    if (prompts.Handle(message, lParam)) return 0;
    OnTransferMessage(message, wParam, lParam);
    return BrowseWnd::OnWindowMessage(handle, message, wParam, lParam);
}

void FtpBrowseWnd::OnTransferMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    DownloadProgressDlg& download = GetDownloadPanel();
    UploadProgressDlg& upload = GetUploadPanel();
    const wchar_t* name = reinterpret_cast<const wchar_t*>(lParam);
    switch (message) {
        case WM_APP_DOWNLOAD_STARTED:
            ShowDownloadPanel(true);
            download.SetButtonMode(panelCancel);
            return;
        case WM_APP_DOWNLOAD_FILE:
            download.ShowFile(name);
            return;
        case WM_APP_DOWNLOAD_FOLDER:
            download.ShowFolder(name);
            return;
        case WM_APP_DOWNLOAD_PROGRESS:
            download.ShowProgress(reinterpret_cast<const DownloadCounters*>(wParam));
            return;
        case WM_APP_DOWNLOAD_ENDED:
            download.SetButtonMode(panelDone);
            return;
        case WM_APP_UPLOAD_STARTED:
            ShowUploadPanel(true);
            upload.SetButtonMode(panelCancel);
            return;
        case WM_APP_UPLOAD_FILE:
            upload.ShowFile(name);
            return;
        case WM_APP_UPLOAD_PROGRESS:
            upload.ShowProgress(reinterpret_cast<const UploadCounters*>(wParam));
            return;
        case WM_APP_UPLOAD_ENDED:
            upload.SetButtonMode(panelDone);
            return;
        case WM_APP_DOWNLOAD_PANEL_BUTTON:
        case WM_APP_UPLOAD_PANEL_BUTTON:
            OnPanelButton(message == WM_APP_DOWNLOAD_PANEL_BUTTON, wParam);
            return;
    }
}

// Cancel keeps the panel until the stopped run has switched it to Done.
void FtpBrowseWnd::OnPanelButton(bool download, WPARAM button) {
    if (button == panelCancel) {
        if (download)
            engine.CancelDownload();
        else
            engine.CancelUpload();
        return;
    }
    // Done belongs to a finished run: the list must not be read while a worker owns the connection.
    if (button != panelDone || !engine.SettleEndedRun()) return;
    if (download)
        ShowDownloadPanel(false);
    else
        ShowUploadPanel(false);
    Refresh();
    FrameWnd* frame = GetFrame();
    if (!frame) return;
    // The downloaded entries show in the local view, their destination, too.
    if (download) frame->GetLocalView()->Refresh();
    if (frame->GetCurrentView() == this) frame->SetToolButtonState(IDM_UP, TBSTATE_ENABLED);
}
