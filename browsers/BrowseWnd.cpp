#include "browsers/BrowseWnd.h"

#include <aygshell.h>

#include <cwchar>
#include <string>
#include <unordered_map>

#include "framework/LocalPath.h"
#include "browsers/RowOrder.h"
#include "browsers/SizeText.h"
#include "frame/FrameWnd.h"
#include "framework/CWinApp.h"
#include "framework/TextUtil.h"
#include "resources/resource.h"

namespace {

const wchar_t kClassName[] = L"BrowseWnd";
const wchar_t kParentName[] = L"..";
const int kPathBoxDropHeight = 120;
const int kPathBoxFieldHeight = 20;
const int kHistoryLength = 10;
const COLORREF kMaskColour = RGB(255, 0, 255);

// Texts of the sorted column by item id, read once before the sort: the list
// must not be queried while it reorders itself.
struct SortInfo {
    int column;
    std::unordered_map<uintptr_t, std::wstring> texts;
};

}  // namespace

BrowseWnd::BrowseWnd() : pendingContextPopup(nullptr), nextItemId(1) {}

BrowseWnd::~BrowseWnd() {}

bool BrowseWnd::RegisterWindowClass(HINSTANCE instance) {
    return RegisterProgramWindowClass(instance, kClassName);
}

bool BrowseWnd::CreateBrowser(const wchar_t* windowName, DWORD style, int x, int y, int width,
                              int height, BaseWnd* parent) {
    return Create(kClassName, windowName, style, x, y, width, height, parent, nullptr);
}

int BrowseWnd::RenameItem(const wchar_t*, const wchar_t*) { return 1; }
int BrowseWnd::CreateFolder(wchar_t*) { return -1; }
void BrowseWnd::Refresh() { UpdatePathHistory(); }
const wchar_t* BrowseWnd::GetCurrentPath() { return nullptr; }
void BrowseWnd::OpenFolder(const wchar_t*) {}
void BrowseWnd::DeleteFileItem(const wchar_t*) {}
void BrowseWnd::DeleteFolderItem(const wchar_t*) {}
HMENU BrowseWnd::GetContextMenu() { return nullptr; }
void BrowseWnd::SetCurrentPath(const wchar_t*) {}
const wchar_t* BrowseWnd::GetSessionName() { return L""; }
const wchar_t* BrowseWnd::GetHost() { return L""; }
const wchar_t* BrowseWnd::GetUser() { return L""; }

// The menus are shared by every view: what a busy view greyed comes back here.
void BrowseWnd::UpdateMenuItems(HMENU menu, WORD buttonId, WORD) {
    SetViewCommandsState(menu, buttonId, MF_ENABLED);
}

void BrowseWnd::SetViewCommandsState(HMENU menu, WORD buttonId, UINT state) {
    if (buttonId == IDM_VIEW) EnableMenuItem(menu, IDM_REFRESH, MF_BYCOMMAND | state);
    if (buttonId != IDM_EDIT) return;
    for (UINT id : {IDM_SELECT_ALL, IDM_INVERT_SELECTION, IDM_DELETE})
        EnableMenuItem(menu, id, MF_BYCOMMAND | state);
}
bool BrowseWnd::IsIdle() { return true; }
void BrowseWnd::StartUpload(PtrList<WString*>&) {}

void BrowseWnd::OnContextCommand(LPARAM, WORD, WORD id) {
    if (id == IDM_RENAME) {
        BeginRename();
    } else if (id == IDM_NEW_FOLDER) {
        wchar_t name[kNameCapacity] = L"";
        ReportNewFolder(CreateFolder(name));
    } else if (id == IDM_CONTEXT_DELETE) {
        DeleteSelection();
    }
}

// A new folder is selected and, unless it was named already, gets its name
// typed in place straight away; a failure is told.
void BrowseWnd::ReportNewFolder(int result) {
    if (result == -1) {
        MessageBoxW(hwnd, L"Can't create directory", L"ERROR", MB_ICONHAND);
    } else if (result >= 0) {
        fileList.SetItemState(-1, 0, LVIS_SELECTED);
        fileList.SetItemState(result, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
        fileList.Focus();
        if (EditsNewFolderName()) fileList.EditLabel(result);
    }
}

void BrowseWnd::ClearItems() { fileList.DeleteAllItems(); }

int BrowseWnd::InsertRow(const wchar_t* name, int image, LPARAM id) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.pszText = const_cast<wchar_t*>(name);
    item.iImage = image;
    item.lParam = id;
    return fileList.InsertItem(&item);
}

int BrowseWnd::AddFolderItem(const wchar_t* name) {
    bool parent = wcscmp(name, kParentName) == 0;
    int row = InsertRow(name, kFolderImage, parent ? 0 : nextItemId++);
    fileList.SetItemText(row, 2, L"Folder");
    return row;
}

int BrowseWnd::AddFileItem(const wchar_t* name, uint32_t size) {
    int row = InsertRow(name, kFileImage, nextItemId++);
    wchar_t sizeText[32];
    FormatSizeText(size, sizeText, 32);
    fileList.SetItemText(row, 1, sizeText);
    fileList.SetItemText(row, 2, L"File");
    return row;
}

// Most recent first, no duplicates, at most ten; the selection names the
// folder shown.
void BrowseWnd::UpdatePathHistory() {
    const wchar_t* path = GetCurrentPath();
    if (!path) return;
    LRESULT found = pathBox.FindStringExact(path, -1);
    if (found != CB_ERR) pathBox.DeleteString(static_cast<int>(found));
    pathBox.SetCurSel(static_cast<int>(pathBox.InsertString(0, path)));
    while (pathBox.GetCount() > kHistoryLength)
        pathBox.DeleteString(static_cast<int>(pathBox.GetCount() - 1));
}

bool BrowseWnd::GetRowEntry(int row, wchar_t* name, int* image) {
    LVITEMW item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = row;
    item.pszText = name;
    item.cchTextMax = kNameCapacity;
    name[0] = L'\0';
    if (!fileList.GetItem(&item)) return false;
    *image = item.iImage;
    return true;
}

bool BrowseWnd::IsParentRow(int row) { return fileList.GetItemData(row) == 0; }

int BrowseWnd::CountSelectedEntries() {
    int count = 0;
    for (int row = fileList.GetNextItem(-1, LVNI_SELECTED); row != -1;
         row = fileList.GetNextItem(row, LVNI_SELECTED))
        if (!IsParentRow(row)) ++count;
    return count;
}

void BrowseWnd::CollectSelection(PtrList<WString*>& items, const wchar_t* folder) {
    wchar_t name[kNameCapacity];
    int image = 0;
    for (int row = fileList.GetNextItem(-1, LVNI_SELECTED); row != -1;
         row = fileList.GetNextItem(row, LVNI_SELECTED)) {
        if (IsParentRow(row) || !GetRowEntry(row, name, &image) || IsDotEntry(name)) continue;
        wchar_t type = image == kFolderImage ? L'D' : L'F';
        items.AddTail(
            new WString(folder ? MakeEntryItem(type, folder, name) : MakeTransferItem(type, name)));
    }
}

FrameWnd* BrowseWnd::GetFrame() {
    return dynamic_cast<FrameWnd*>(GetWinApp()->LookupWindow(GetParent(hwnd)));
}

void BrowseWnd::SelectAll() {
    fileList.SetItemState(-1, LVIS_SELECTED, LVIS_SELECTED);
    fileList.Update();
    fileList.Focus();
}

void BrowseWnd::InvertSelection() {
    for (int row = 0; row < fileList.GetItemCount(); ++row) {
        bool selected = fileList.GetItemState(row, LVIS_SELECTED) != 0;
        fileList.SetItemState(row, selected ? 0 : LVIS_SELECTED, LVIS_SELECTED);
    }
    fileList.Update();
    fileList.Focus();
}

void BrowseWnd::BeginRename() {
    int row = fileList.GetNextItem(-1, LVNI_SELECTED);
    if (row == -1 || IsParentRow(row)) return;
    fileList.Focus();
    fileList.EditLabel(row);
}

void BrowseWnd::DeleteSelection() {
    int count = CountSelectedEntries();
    if (count == 0) return;
    wchar_t question[96];
    if (count > 1)
        swprintf(question, 96, L"Are you sure you want to delete these %d items?", count);
    else
        CopyText(question, L"Are you sure you want to delete this item?");
    if (MessageBoxW(hwnd, question, nullptr, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    wchar_t name[kNameCapacity];
    int image = 0;
    for (int row = fileList.GetNextItem(-1, LVNI_SELECTED); row != -1;
         row = fileList.GetNextItem(row, LVNI_SELECTED)) {
        if (IsParentRow(row) || !GetRowEntry(row, name, &image)) continue;
        if (wcscmp(name, kParentName) == 0) continue;
        if (image == kFolderImage)
            DeleteFolderItem(name);
        else
            DeleteFileItem(name);
    }
    Refresh();
}

LRESULT BrowseWnd::OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            hwnd = handle;
            BuildChildren();
            break;
        case WM_WINDOWPOSCHANGED:
            LayOutChildren();
            break;
        case WM_NOTIFY:
            OnNotify(reinterpret_cast<const NMHDR*>(lParam));
            break;
        case WM_COMMAND:
            OnCommand(wParam, lParam);
            break;
    }
    return BaseWnd::OnWindowMessage(handle, message, wParam, lParam);
}

void BrowseWnd::BuildChildren() {
    RECT client;
    GetClientRect(&client);
    pathBox.Create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_VSCROLL |
                       WS_TABSTOP | CBS_DROPDOWNLIST | CBS_AUTOHSCROLL,
                   client.left, client.top, client.right - client.left, kPathBoxDropHeight, this,
                   0);
    CWinApp* app = GetWinApp();
    imageList.Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 10);
    imageList.AddMasked(app->LoadBitmapResource(IDB_FOLDER), kMaskColour);
    imageList.AddMasked(app->LoadBitmapResource(IDB_FILE), kMaskColour);
    fileList.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_EDITLABELS, client.left,
                    client.top + kPathBoxFieldHeight, client.right, client.bottom, this, -1);
    fileList.SetImageList(imageList.GetHandle(), LVSIL_SMALL);
    int width = client.right - client.left;
    fileList.InsertColumn(0, L"Name", LVCFMT_LEFT, 2 * width / 4, 0);
    fileList.InsertColumn(1, L"Size", LVCFMT_LEFT, width / 4, 1);
    fileList.InsertColumn(2, L"Type", LVCFMT_LEFT, width / 4 - 2, 2);
}

// The list starts below the path box's field, whatever height the font gives
// it; the path box keeps room for its drop-down history.
void BrowseWnd::LayOutChildren() {
    RECT client, field;
    GetClientRect(&client);
    int fieldHeight = kPathBoxFieldHeight;
    if (pathBox.GetWindowRect(&field) && field.bottom - field.top > fieldHeight)
        fieldHeight = field.bottom - field.top;
    int width = client.right - client.left;
    // A panel covers the whole view, so nothing of the hidden list shows beside it.
    for (ProgressPanel* panel :
         {static_cast<ProgressPanel*>(&downloadPanel), static_cast<ProgressPanel*>(&uploadPanel)})
        if (panel->GetHandle())
            panel->Move(client.left, client.top, width, client.bottom - client.top, true);
    pathBox.Move(client.left, client.top, width, kPathBoxDropHeight, true);
    fileList.Move(client.left, client.top + fieldHeight, width,
                  client.bottom - client.top - fieldHeight, true);
}

void BrowseWnd::OnNotify(const NMHDR* header) {
    if (header->hwndFrom != fileList.GetHandle()) return;
    if (header->code == GN_CONTEXTMENU)
        ShowContextMenu(reinterpret_cast<const NMRGINFO*>(header)->ptAction);
    else if (header->code == LVN_ENDLABELEDITW)
        FinishRename(reinterpret_cast<const NMLVDISPINFOW*>(header));
    else if (header->code == LVN_COLUMNCLICK)
        SortByColumn(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
    else if (header->code == static_cast<UINT>(NM_DBLCLK))
        OpenSelectedFolder();
}

// The chosen command is taken straight from the menu, so a dismissed menu
// leaves nothing behind that could swallow the next command of the view.
void BrowseWnd::ShowContextMenu(POINT screenPoint) {
    pendingContextPopup = GetContextMenu();
    if (!pendingContextPopup) return;
    UINT id = TrackPopupMenuEx(pendingContextPopup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD,
                               screenPoint.x, screenPoint.y, hwnd, nullptr);
    if (id != 0) OnContextCommand(0, 0, static_cast<WORD>(id));
    pendingContextPopup = nullptr;
}

void BrowseWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
    if (HIWORD(wParam) == CBN_SELCHANGE && reinterpret_cast<HWND>(lParam) == pathBox.GetHandle())
        ChoosePathFromHistory();
}

void BrowseWnd::ChoosePathFromHistory() {
    int index = static_cast<int>(pathBox.GetCurSel());
    if (index == CB_ERR) return;
    LRESULT length = pathBox.GetLBTextLen(index);
    if (length == CB_ERR) return;
    std::wstring path(static_cast<size_t>(length) + 1, L'\0');
    pathBox.GetLBText(index, &path[0]);
    SetCurrentPath(path.c_str());
    Refresh();
}

void BrowseWnd::OpenSelectedFolder() {
    int row = fileList.GetNextItem(-1, LVNI_SELECTED);
    wchar_t name[kNameCapacity];
    int image = 0;
    if (row == -1 || !GetRowEntry(row, name, &image)) return;
    if (image == kFolderImage) OpenFolder(name);
}

void BrowseWnd::FinishRename(const NMLVDISPINFOW* info) {
    if (!info->item.pszText) return;
    wchar_t oldName[kNameCapacity];
    int image = 0;
    if (!GetRowEntry(info->item.iItem, oldName, &image)) return;
    std::wstring newName(info->item.pszText);
    RenameItem(oldName, newName.c_str());
}

void BrowseWnd::SortByColumn(int column) {
    SortInfo info;
    info.column = column;
    wchar_t text[kNameCapacity];
    for (int row = 0; row < fileList.GetItemCount(); ++row) {
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.iSubItem = column;
        item.pszText = text;
        item.cchTextMax = kNameCapacity;
        text[0] = L'\0';
        fileList.GetItem(&item);
        info.texts[static_cast<uintptr_t>(fileList.GetItemData(row))] = text;
    }
    fileList.SortItems(CompareItems, reinterpret_cast<LPARAM>(&info));
}

static RowKey KeyOf(const SortInfo& info, LPARAM id) {
    auto found = info.texts.find(static_cast<uintptr_t>(id));
    return RowKey{static_cast<uintptr_t>(id),
                  found == info.texts.end() ? L"" : found->second.c_str()};
}

int CALLBACK BrowseWnd::CompareItems(LPARAM first, LPARAM second, LPARAM sortInfo) {
    const SortInfo& info = *reinterpret_cast<const SortInfo*>(sortInfo);
    return CompareRows(info.column, KeyOf(info, first), KeyOf(info, second));
}

void BrowseWnd::ShowDownloadPanel(bool show) {
    ShowPanel(downloadPanel, IDD_DOWNLOAD_PROGRESS, show);
}

void BrowseWnd::ShowUploadPanel(bool show) { ShowPanel(uploadPanel, IDD_UPLOAD_PROGRESS, show); }

void BrowseWnd::ShowPanel(ProgressPanel& panel, int resourceId, bool show) {
    if (show) {
        // A second start message reuses the panel instead of stacking another.
        if (!panel.GetHandle() && !panel.CreateModeless(resourceId, this)) return;
        LayOutChildren();
        pathBox.Show(SW_HIDE);
        fileList.Show(SW_HIDE);
        panel.Show(SW_SHOW);
        return;
    }
    if (panel.GetHandle()) panel.DestroyDlg();
    if (downloadPanel.GetHandle() || uploadPanel.GetHandle()) return;
    pathBox.Show(SW_SHOW);
    fileList.Show(SW_SHOW);
}
