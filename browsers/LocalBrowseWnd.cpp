#include "browsers/LocalBrowseWnd.h"

#include <cwchar>
#include <utility>

#include "browsers/FolderTreeDelete.h"
#include "framework/LocalPath.h"
#include "frame/FrameWnd.h"
#include "framework/CWinApp.h"
#include "ftp/TransferTypes.h"
#include "resources/resource.h"

namespace {

const int kUploadToPosition = 2;
const wchar_t kNewFolder[] = L"New Folder";

// A new name must stay a name: a separator would move the entry elsewhere.
bool IsPlainName(const wchar_t* name) {
    if (name[0] == L'\0' || IsDotEntry(name)) return false;
    for (const wchar_t* c = name; *c; ++c)
        if (IsPathSeparator(*c)) return false;
    return true;
}

class WaitCursor {
  public:
    WaitCursor() { GetWinApp()->ShowWaitCursor(); }
    ~WaitCursor() { GetWinApp()->HideWaitCursor(); }
};

}  // namespace

LocalBrowseWnd::LocalBrowseWnd() : contextMenus(nullptr) {}

LocalBrowseWnd::~LocalBrowseWnd() {
    if (contextMenus) DestroyMenu(contextMenus);
}

void LocalBrowseWnd::ShowError(const wchar_t* text) {
    MessageBoxW(hwnd, text, L"Error", MB_ICONHAND);
}

const wchar_t* LocalBrowseWnd::GetCurrentPath() { return directory.GetPath(); }

bool LocalBrowseWnd::ChangeDirectory(const wchar_t* name) {
    if (directory.ChangeDirectory(name) == S_OK) return true;
    ShowError(L"Path too long");
    return false;
}

void LocalBrowseWnd::OpenFolder(const wchar_t* name) {
    if (ChangeDirectory(name)) Refresh();
}

void LocalBrowseWnd::SetCurrentPath(const wchar_t* path) { ChangeDirectory(path); }

void LocalBrowseWnd::Refresh() {
    WaitCursor wait;
    std::vector<ListedEntry> entries;
    WIN32_FIND_DATAW data;
    for (HRESULT found = directory.FindFirst(&data, nullptr); found == S_OK;
         found = directory.FindNext(&data)) {
        if (IsDotEntry(data.cFileName)) continue;
        entries.push_back(ListedEntry::Of(data));
    }
    ShowListing(std::move(entries), !directory.IsDriveList());
    UpdatePathHistory();
}

int LocalBrowseWnd::RenameItem(const wchar_t* oldName, const wchar_t* newName) {
    if (!newName) return 1;
    wchar_t oldPath[LocalDirEnum::kPathCapacity], newPath[LocalDirEnum::kPathCapacity];
    const wchar_t* folder = GetCurrentPath();
    if (wcscmp(oldName, newName) != 0) {
        if (!IsPlainName(newName))
            ShowError(L"Invalid name");
        else if (!JoinPath(oldPath, folder, oldName) || !JoinPath(newPath, folder, newName))
            ShowError(L"Path too long");
        else
            MoveFileW(oldPath, newPath);
    }
    Refresh();
    return 1;
}

int LocalBrowseWnd::CreateFolder(wchar_t* name) {
    wchar_t path[LocalDirEnum::kPathCapacity];
    for (int number = 1;; ++number) {
        if (number == 1)
            swprintf(name, kNameCapacity, L"%ls", kNewFolder);
        else
            swprintf(name, kNameCapacity, L"%ls (%d)", kNewFolder, number);
        if (!JoinPath(path, GetCurrentPath(), name)) return -1;
        if (CreateDirectoryW(path, nullptr)) return AddFolderItem(name);
        if (GetLastError() != ERROR_ALREADY_EXISTS) return -1;
    }
}

void LocalBrowseWnd::DeleteFileItem(const wchar_t* name) {
    wchar_t path[LocalDirEnum::kPathCapacity];
    if (!JoinPath(path, GetCurrentPath(), name) || !DeleteFileW(path))
        ShowError(L"Can't delete file");
}

void LocalBrowseWnd::DeleteFolderItem(const wchar_t* name) {
    WaitCursor wait;
    DeleteFolderTree(GetCurrentPath(), name);
}

HMENU LocalBrowseWnd::GetContextMenu() {
    if (contextMenus) DestroyMenu(contextMenus);
    contextMenus = GetWinApp()->LoadMenuResource(IDR_CONTEXT_MENUS);
    HMENU popup = contextMenus ? GetSubMenu(contextMenus, 0) : nullptr;
    if (popup) FillUploadMenu(popup);
    return popup;
}

// One item per open connection, newest view on top; a view busy with a
// transfer is shown but greyed.
void LocalBrowseWnd::FillUploadMenu(HMENU popup) {
    HMENU uploadTo = GetSubMenu(popup, kUploadToPosition);
    while (DeleteMenu(uploadTo, 0, MF_BYPOSITION)) {
    }
    PtrList<BrowseWnd*> targets;
    if (FrameWnd* frame = GetFrame()) frame->GetRemoteViews(targets);
    int added = 0;
    for (auto* node = targets.GetHead(); node; node = node->next) {
        WORD id = GetWinApp()->NextCommandId();
        if (id == 0) break;
        // A connection made without a session name goes by its host, as in the View menu.
        const wchar_t* label = node->element->GetSessionName();
        if (!label[0]) label = node->element->GetHost();
        InsertMenuW(uploadTo, 0, MF_BYPOSITION | MF_STRING, id, label);
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_DATA;
        info.dwItemData = reinterpret_cast<ULONG_PTR>(node->element);
        SetMenuItemInfoW(uploadTo, id, FALSE, &info);
        if (!node->element->IsIdle()) EnableMenuItem(uploadTo, id, MF_BYCOMMAND | MF_GRAYED);
        ++added;
    }
    EnableMenuItem(popup, kUploadToPosition, MF_BYPOSITION | (added ? MF_ENABLED : MF_GRAYED));
}

BrowseWnd* LocalBrowseWnd::GetUploadTarget(WORD id) {
    HMENU popup = GetPendingContextPopup();
    HMENU uploadTo = popup ? GetSubMenu(popup, kUploadToPosition) : nullptr;
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    if (!uploadTo || !GetMenuItemInfoW(uploadTo, id, FALSE, &info)) return nullptr;
    return reinterpret_cast<BrowseWnd*>(info.dwItemData);
}

void LocalBrowseWnd::OnContextCommand(LPARAM lParam, WORD code, WORD id) {
    BrowseWnd::OnContextCommand(lParam, code, id);
    if (BrowseWnd* target = GetUploadTarget(id)) UploadSelection(target);
}

void LocalBrowseWnd::UploadSelection(BrowseWnd* target) {
    if (CountSelectedEntries() == 0 || !ListsFolderContents()) return;
    FrameWnd* frame = GetFrame();
    const wchar_t* folder = frame ? frame->GetLocalPath() : GetCurrentPath();
    TransferList items;
    CollectSelection(items, folder);
    target->StartUpload(items);
    if (frame) frame->ShowView(target);
    ClearTransferList(items);
}
