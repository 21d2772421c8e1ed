#include "browsers/FtpBrowseWnd.h"

#include <cwchar>
#include <utility>
#include <vector>

#include "browsers/NameInputDlg.h"
#include "frame/FrameWnd.h"
#include "framework/CWinApp.h"
#include "framework/TextUtil.h"
#include "ftp/EntryName.h"
#include "ftp/ServerReason.h"
#include "ftp/TransferMessages.h"
#include "resources/resource.h"
#include "transfer_ui/ProgressText.h"
#include "wininet/FtpTime.h"

namespace {

const int kFtpContextMenu = 1;

// A LIST line of an older file gives its day and year but no time: shown as
// the day alone rather than a made-up time. Other times are shown in the
// user's zone, a LIST time by the session's offset of the server's clock.
ListedEntry EntryOf(const RemoteFS& engine, const WIN32_FIND_DATAW& data) {
    ListedEntry entry = ListedEntry::Of(data);
    entry.dateOnly = data.dwReserved0 == kListedDayOnly;
    if (!entry.dateOnly) entry.modified = engine.ListedTime(data).utc;
    return entry;
}

RequestResult Succeeded() { return RequestResult(); }

// A folder's listing as a request makes it on the connection's thread.
struct FolderListing {
    std::wstring change;  // the folder to change to first; empty: stay
    std::wstring known;   // the view's folder when the request was made
    std::vector<ListedEntry> entries;
    std::wstring path;  // the folder listed; empty when unknown
    // Why the listing ended early (refused, or broken off), if it did.
    RequestResult broken;
};

// A change the server refuses lists the old folder again. A folder given
// from the root is the path once the server accepted it; a relative one
// (".." too) is resolved by asking the server, which costs a round trip.
// A listing that breaks off shows what arrived, and says why, unless the
// connection went.
RequestResult ListInto(RemoteFS& engine, FolderListing& listing) {
    listing.entries.clear();
    listing.path = listing.known;
    if (!listing.change.empty()) {
        if (engine.SetCurrentDir(listing.change.c_str()) == S_OK)
            listing.path = listing.change[0] == L'/' ? listing.change : L"";
        else if (RequestResult failed = FailedCall(); failed.ConnectionLost())
            return failed;
    }
    WIN32_FIND_DATAW data;
    for (HRESULT found = engine.FindFirst(&data); found == S_OK; found = engine.FindNext(&data)) {
        listing.entries.push_back(EntryOf(engine, data));
    }
    RequestResult ended = FailedCall();
    engine.FindClose();
    if (ended.ConnectionLost()) return ended;
    if (ended.error != ERROR_NO_MORE_FILES) listing.broken = ended;
    if (!listing.path.empty()) return Succeeded();
    wchar_t path[RemoteFS::kTextCapacity];
    DWORD length = RemoteFS::kTextCapacity;
    if (engine.GetCurrentDir(path, &length) == S_OK) {
        listing.path = path;
        return Succeeded();
    }
    RequestResult failed = FailedCall();
    return failed.ConnectionLost() ? failed : Succeeded();
}

// A delete of the selection as one request. A request repeated after a new
// login goes on where the lost connection stopped it.
struct Deletion {
    struct Entry {
        std::wstring name;
        bool folder;
    };
    std::vector<Entry> entries;
    size_t done = 0;
    std::vector<std::wstring> fileReasons;  // one per file the server kept
    DWORD filesLeft = 0;
    DWORD foldersLeft = 0;
    FolderListing listing;
};

RequestResult DeleteAll(RemoteFS& engine, Deletion& deletion) {
    for (; deletion.done < deletion.entries.size(); ++deletion.done) {
        const Deletion::Entry& entry = deletion.entries[deletion.done];
        if (entry.folder) {
            DWORD files = 0, folders = 0;
            engine.DeleteRemoteTree(entry.name.c_str(), &files, &folders);
            deletion.filesLeft += files;
            deletion.foldersLeft += folders;
        } else if (engine.DeleteRemoteFile(entry.name.c_str()) != S_OK) {
            RequestResult failed = FailedCall();
            if (failed.ConnectionLost()) return failed;
            deletion.fileReasons.push_back(failed.reason);
        }
    }
    return ListInto(engine, deletion.listing);
}

// The folder a request goes to, as its status names it.
std::wstring TargetPath(const std::wstring& folder, const std::wstring& name) {
    if (name.empty()) return folder;
    if (name[0] == L'/' || folder.empty()) return name;
    if (name == L"..") {
        size_t cut = folder.find_last_of(L'/');
        return cut == 0 || cut == std::wstring::npos ? L"/" : folder.substr(0, cut);
    }
    return folder + (folder.back() == L'/' ? L"" : L"/") + name;
}

// Before the first listing the folder is not known yet.
std::wstring ListingStatus(const std::wstring& folder, const std::wstring& name) {
    std::wstring target = TargetPath(folder, name);
    return target.empty() ? L"Listing..." : L"Listing " + target + L"...";
}

}  // namespace

FtpBrowseWnd::FtpBrowseWnd(std::shared_ptr<RemoteFS> viewEngine)
    : sharedEngine(std::move(viewEngine)),
      engine(*sharedEngine),
      connection(sharedEngine),
      sessionName(),
      host(),
      user(),
      contextMenus(nullptr) {}

// The engine may outlive the view on the connection's thread: its transfers end with the view.
FtpBrowseWnd::~FtpBrowseWnd() {
    engine.EndWorkers();
    if (contextMenus) DestroyMenu(contextMenus);
}

bool FtpBrowseWnd::CreateBrowser(const wchar_t* windowName, DWORD style, int x, int y, int width,
                                 int height, BaseWnd* parent) {
    return BrowseWnd::CreateBrowser(windowName, style, x, y, width, height, parent) &&
           connection.Start(hwnd);
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
    if (!hwnd || !hostName || !userName || !password) return false;
    std::wstring server = hostName, login = userName, secret = password;
    ShowBusy(L"Connecting to " + server + L"...");
    connection.PostLogin(
        [server, login, secret, port](RemoteFS& engine) {
            return engine.Connect(server.c_str(), login.c_str(), secret.c_str(), port) == S_OK
                       ? Succeeded()
                       : FailedLogin(engine);
        },
        IdleFirst([this](const RequestResult& result) { ReportConnectionFailure(result); }));
    return true;
}

void FtpBrowseWnd::AdoptLogin(RemoteFS& loggedIn, const wchar_t* hostName, const wchar_t* userName,
                              const wchar_t* session) {
    SetLabels(hostName, userName, session);
    engine.TakeConnectionOf(loggedIn);
}

bool FtpBrowseWnd::IsIdle() { return !engine.IsBusy() && connection.IsIdle(); }

// The view stays as it was: the running request's result is ignored when it comes.
void FtpBrowseWnd::AbandonRequest() {
    connection.Abandon();
    ShowBusy(L"");
}

// While a transfer runs the worker owns the connection and its directory.
void FtpBrowseWnd::Request(const std::wstring& status, ConnectionThread::Job job,
                           ConnectionThread::Completion done) {
    if (engine.IsBusy()) return;
    ShowBusy(status);
    connection.Post(currentDir, std::move(job), IdleFirst(std::move(done)));
}

// The view is idle again before the result shows: a message it gives is no
// longer under the request's status and wait cursor.
ConnectionThread::Completion FtpBrowseWnd::IdleFirst(ConnectionThread::Completion done) {
    return [this, done = std::move(done)](const RequestResult& result) {
        if (!connection.HasPending()) ShowIdle();
        done(result);
    };
}

void FtpBrowseWnd::OnRequestDone(WPARAM number) { connection.Complete(number); }

void FtpBrowseWnd::ShowIdle() {
    ShowBusy(L"");
    if (!passiveNoted && engine.FellBackToPassive()) {
        passiveNoted = true;
        ShowNote(L"Passive mode: the server could not connect back");
    }
}

// The view keeps its rows and its folder; the next request logs in afresh.
bool FtpBrowseWnd::ReportConnectionFailure(const RequestResult& result) {
    std::wstring server = host;
    if (result.loginFailed)
        ShowError(WithServerReason((L"Can't connect to " + server).c_str(), result.reason));
    else if (result.ConnectionLost())
        ShowError(L"Lost the connection to " + server);
    return result.loginFailed || result.ConnectionLost();
}

void FtpBrowseWnd::ShowError(const std::wstring& text, const wchar_t* title) {
    MessageBoxW(hwnd, text.c_str(), title, MB_ICONHAND);
}

void FtpBrowseWnd::Refresh() {
    std::wstring change;
    change.swap(nextDir);
    ListFolder(change, ListingStatus(currentDir, change));
}

void FtpBrowseWnd::ListFolder(const std::wstring& folder, const std::wstring& status) {
    auto listing = std::make_shared<FolderListing>();
    listing->change = folder;
    listing->known = currentDir;
    Request(
        status, [listing](RemoteFS& engine) { return ListInto(engine, *listing); },
        [this, listing](const RequestResult& result) {
            ShowFolder(listing->entries, listing->path, result);
            if (!result.failed && listing->broken.failed)
                ShowError(WithServerReason((L"Can't list " + currentDir).c_str(),
                                           listing->broken.reason));
        });
}

void FtpBrowseWnd::ShowFolder(std::vector<ListedEntry>& entries, const std::wstring& path,
                              const RequestResult& result) {
    if (ReportConnectionFailure(result)) return;
    if (!path.empty()) currentDir = path;
    ShowListing(std::move(entries));
    UpdatePathHistory();
}

const wchar_t* FtpBrowseWnd::GetCurrentPath() {
    return currentDir.empty() ? nullptr : currentDir.c_str();
}

// The server resolves "..".
void FtpBrowseWnd::OpenFolder(const wchar_t* name) {
    ListFolder(name, ListingStatus(currentDir, name));
}

void FtpBrowseWnd::SetCurrentPath(const wchar_t* path) { nextDir = path ? path : L""; }

void FtpBrowseWnd::DeleteEntries(const std::vector<SelectedEntry>& entries) {
    if (entries.empty()) return;
    auto deletion = std::make_shared<Deletion>();
    for (const SelectedEntry& entry : entries)
        deletion->entries.push_back({entry.name, entry.folder});
    deletion->listing.known = currentDir;
    std::wstring status = entries.size() == 1
                              ? L"Deleting " + entries[0].name + L"..."
                              : L"Deleting " + std::to_wstring(entries.size()) + L" items...";
    Request(
        status, [deletion](RemoteFS& engine) { return DeleteAll(engine, *deletion); },
        [this, deletion](const RequestResult& result) {
            ShowFolder(deletion->listing.entries, deletion->listing.path, result);
            for (const std::wstring& reason : deletion->fileReasons)
                ShowError(WithServerReason(L"Can't delete file", reason));
            if (deletion->filesLeft == 0 && deletion->foldersLeft == 0) return;
            ShowError(std::to_wstring(deletion->filesLeft) + L" files and " +
                      std::to_wstring(deletion->foldersLeft) + L" directories were not deleted");
        });
}

// The row keeps its place and takes the new name; a file the new name
// replaced leaves the list too. A name that could leave the folder or break
// the command line is refused before anything is sent, and the replace
// question is asked before the request.
int FtpBrowseWnd::RenameItem(const wchar_t* oldName, const wchar_t* newName) {
    if (!newName || wcscmp(oldName, newName) == 0) return 1;
    if (!IsSafeNewName(newName)) {
        ShowError(L"Invalid name");
        return 1;
    }
    int image = kFolderImage;
    bool replacing = FindRow(newName, &image) != -1 && image != kFolderImage;
    if (replacing && !MayReplace(newName)) return 1;
    Rename(oldName, newName, replacing || FindRow(oldName, &image) == -1);
    return 1;
}

void FtpBrowseWnd::Rename(const std::wstring& oldName, const std::wstring& newName, bool relist) {
    auto listing = std::make_shared<FolderListing>();
    listing->known = currentDir;
    Request(
        L"Renaming " + oldName + L"...",
        [oldName, newName, relist, listing](RemoteFS& engine) {
            if (engine.RenameRemote(oldName.c_str(), newName.c_str()) != S_OK) return FailedCall();
            return relist ? ListInto(engine, *listing) : Succeeded();
        },
        [this, oldName, newName, relist, listing](const RequestResult& result) {
            if (ReportConnectionFailure(result)) return;
            int image = 0;
            int row = FindRow(oldName.c_str(), &image);
            if (result.failed)
                ShowError(WithServerReason(L"Can't rename", result.reason));
            else if (relist)
                ShowFolder(listing->entries, listing->path, result);
            else if (row == -1)
                Refresh();  // the rows changed meanwhile
            else
                RenameRow(row, newName.c_str());
        });
}

// Servers replace a file of the new name without a word: the user decides.
// Onto a folder they refuse by themselves, and say why.
bool FtpBrowseWnd::MayReplace(const wchar_t* name) {
    std::wstring question = std::wstring(name) + L" already exists. Replace it?";
    return MessageBoxW(hwnd, question.c_str(), L"Rename", MB_YESNO | MB_ICONQUESTION) == IDYES;
}

// The name is asked in a dialog over the frame, which waits meanwhile; the
// view reports the new folder when the server made it.
int FtpBrowseWnd::CreateFolder(wchar_t* name) {
    NameInputDlg input;
    input.SetPrompt(L"Directory name:");
    if (input.DoModal(this) != IDOK) return -2;
    // A name that does not fit is refused: a cut one would make another folder.
    if (!CopyText(name, kNameCapacity, input.GetValue())) return -1;
    CreateFolderNamed(name);
    return -2;
}

void FtpBrowseWnd::CreateFolderNamed(const std::wstring& name) {
    Request(
        L"Making " + name + L"...",
        [name](RemoteFS& engine) {
            return engine.CreateRemoteDir(name.c_str()) ? Succeeded() : FailedCall();
        },
        [this, name](const RequestResult& result) {
            if (ReportConnectionFailure(result)) return;
            if (result.failed)
                ShowError(WithServerReason(L"Can't create directory", result.reason), L"ERROR");
            else
                ReportNewFolder(AddFolderItem(name.c_str()));
        });
}

// A busy connection's commands are greyed.
HMENU FtpBrowseWnd::GetContextMenu() {
    if (!contextMenus) contextMenus = GetWinApp()->LoadMenuResource(IDR_CONTEXT_MENUS);
    HMENU popup = contextMenus ? GetSubMenu(contextMenus, kFtpContextMenu) : nullptr;
    UINT state = IsIdle() ? MF_ENABLED : MF_GRAYED;
    for (int item = 0; popup && item < GetMenuItemCount(popup); ++item)
        EnableMenuItem(popup, item, MF_BYPOSITION | state);
    return popup;
}

// While a transfer or a request runs, the connection is taken.
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
        ShowError(L"Open a local folder to download into");
        return;
    }
    TransferList items;
    CollectSelection(items, nullptr);
    if (!items.IsEmpty()) {
        frame->SetToolButtonState(IDM_UP, 0);
        GetDownloadPanel().SetStorageFolder(destination);
        if (engine.StartDownload(items, destination, hwnd, currentDir.c_str()) != S_OK)
            frame->SetToolButtonState(IDM_UP, TBSTATE_ENABLED);
    }
    ClearTransferList(items);
}

// An upload handed to a connection busy with a request starts once it is through.
void FtpBrowseWnd::StartUpload(PtrList<WString*>& items) {
    if (items.IsEmpty()) return;
    if (IsIdle()) {
        engine.StartUpload(items, hwnd, currentDir.c_str());
        return;
    }
    auto waiting = std::make_shared<std::vector<std::wstring>>();
    for (auto* node = items.GetHead(); node; node = node->next)
        waiting->push_back(node->element->GetText());
    Request(
        L"Waiting to upload...", [](RemoteFS&) { return Succeeded(); },
        [this, waiting](const RequestResult& result) {
            if (ReportConnectionFailure(result)) return;
            TransferList list;
            for (const std::wstring& item : *waiting) list.AddTail(new WString(item.c_str()));
            engine.StartUpload(list, hwnd, currentDir.c_str());
            ClearTransferList(list);
        });
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
        case WM_APP_DOWNLOAD_NAME_MAPPED:
        case WM_APP_UPLOAD_NAME_MAPPED:
            OnNameMapped(message == WM_APP_DOWNLOAD_NAME_MAPPED,
                         reinterpret_cast<const wchar_t*>(wParam), name);
            return;
        // wParam names the item, lParam (name here) gives the reason.
        case WM_APP_DOWNLOAD_ITEM_FAILED:
            download.AddReportLine(FailureText(reinterpret_cast<const wchar_t*>(wParam), name));
            return;
        case WM_APP_UPLOAD_ITEM_FAILED:
            upload.AddReportLine(FailureText(reinterpret_cast<const wchar_t*>(wParam), name));
            return;
        case WM_APP_DOWNLOAD_PANEL_BUTTON:
        case WM_APP_UPLOAD_PANEL_BUTTON:
            OnPanelButton(message == WM_APP_DOWNLOAD_PANEL_BUTTON, wParam);
            return;
    }
}

void FtpBrowseWnd::OnNameMapped(bool download, const wchar_t* remote, const wchar_t* local) {
    if (download)
        GetDownloadPanel().AddReportLine(std::wstring(remote) + L" saved as " + local);
    else
        GetUploadPanel().AddReportLine(std::wstring(local) + L" sent as " + remote);
}

// Cancel keeps the panel until the stopped run has switched it to Done.
void FtpBrowseWnd::OnPanelButton(bool download, WPARAM button) {
    if (button == panelCancel) {
        // A run that ended just before the press was not cancelled: its end says so.
        HRESULT taken = download ? engine.CancelDownload() : engine.CancelUpload();
        ProgressPanel& panel = download ? static_cast<ProgressPanel&>(GetDownloadPanel())
                                        : static_cast<ProgressPanel&>(GetUploadPanel());
        if (SUCCEEDED(taken)) panel.NoteCancelled();
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
