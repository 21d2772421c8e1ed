#include "browsers/BrowseWnd.h"

#include <aygshell.h>

#include <algorithm>
#include <cwchar>
#include <numeric>
#include <string>

#include "browsers/ModifiedText.h"
#include "framework/LocalPath.h"
#include "browsers/RowOrder.h"
#include "browsers/SizeText.h"
#include "frame/FrameWnd.h"
#include "framework/CWinApp.h"
#include "framework/TextUtil.h"
#include "resources/AppMessages.h"
#include "resources/resource.h"

namespace {

const wchar_t kClassName[] = L"BrowseWnd";
const wchar_t kParentName[] = L"..";
const int kPathBoxDropHeight = 120;
const int kPathBoxFieldHeight = 20;
const int kStatusLineHeight = 18;
const int kHistoryLength = 10;
const COLORREF kMaskColour = RGB(255, 0, 255);
const int kTypeColumn = 2;
const int kModifiedColumn = 3;

ListedEntry FolderEntry(const wchar_t* name) { return ListedEntry{name, true, 0, 0, false, false}; }

// A row's cell as the list shows it; the listing's facts hold a large folder
// in a fraction of the memory the texts would take.
void WriteCell(const ListedEntry& entry, int column, wchar_t* text, size_t room) {
    text[0] = L'\0';
    if (column == 0)
        CopyTextCut(text, room, entry.name.c_str());
    else if (column == kSizeColumn && !entry.folder)
        FormatSizeText(entry.size, text, room);
    else if (column == kTypeColumn)
        CopyTextCut(text, room, entry.link ? L"Link" : entry.folder ? L"Folder" : L"File");
    else if (column == kModifiedColumn)
        FormatModifiedText(entry.modified, entry.dateOnly, text, room);
}

int ImageOf(const ListedEntry& entry) {
    return entry.folder ? BrowseWnd::kFolderImage : BrowseWnd::kFileImage;
}

bool StartsWithIgnoringCase(const std::wstring& name, const wchar_t* start, bool whole) {
    size_t length = wcslen(start);
    return (whole ? name.size() == length : name.size() >= length) &&
           _wcsnicmp(name.c_str(), start, length) == 0;
}

}  // namespace

BrowseWnd::BrowseWnd()
    : statusLine(nullptr),
      pendingContextPopup(nullptr),
      nextItemId(1),
      sortColumn(-1),
      sortDescending(false) {}

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
    for (UINT id : {IDM_SELECT_ALL, IDM_INVERT_SELECTION, IDM_DELETE, IDM_RENAME})
        EnableMenuItem(menu, id, MF_BYCOMMAND | state);
}
bool BrowseWnd::IsIdle() { return true; }
void BrowseWnd::StartUpload(PtrList<WString*>&) {}

// A busy view's menu items are greyed; a command chosen just before it got busy waits for none.
void BrowseWnd::OnContextCommand(LPARAM, WORD, WORD id) {
    if (!IsIdle()) return;
    if (id == IDM_RENAME) {
        BeginRename();
    } else if (id == IDM_NEW_FOLDER && ListsFolderContents()) {
        wchar_t name[kNameCapacity] = L"";
        ReportNewFolder(CreateFolder(name));
    } else if (id == IDM_CONTEXT_DELETE) {
        DeleteSelection();
    }
}

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

// The list holds no rows of its own (it asks for the cells it paints), so a
// listing is shown at once whatever its length.
void BrowseWnd::ShowListing(std::vector<ListedEntry> entries, bool withParent) {
    sortColumn = -1;
    fileList.DeleteAllItems();
    std::vector<Row>().swap(rows);  // the old rows' memory goes before the new rows come
    rows.reserve(entries.size() + 1);
    if (withParent) rows.push_back(Row{FolderEntry(kParentName), 0});
    for (size_t i = entries.size(); i-- > 0;)
        rows.push_back(Row{std::move(entries[i]), nextItemId + static_cast<uint32_t>(i)});
    nextItemId += static_cast<uint32_t>(entries.size());
    fileList.SetItemCount(static_cast<int>(rows.size()));
}

void BrowseWnd::WriteRowCell(NMLVDISPINFOW* info) {
    LVITEMW& item = info->item;
    const Row* row = RowAt(item.iItem);
    if (!row) return;
    if (item.mask & LVIF_IMAGE) item.iImage = ImageOf(row->entry);
    if (item.mask & LVIF_PARAM) item.lParam = row->id;
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0)
        WriteCell(row->entry, item.iSubItem, item.pszText, static_cast<size_t>(item.cchTextMax));
}

// Typing a name's first letters goes to the next row that starts so.
int BrowseWnd::FindTypedRow(const NMLVFINDITEMW* find) {
    const LVFINDINFOW& wanted = find->lvfi;
    if (!(wanted.flags & (LVFI_STRING | LVFI_PARTIAL)) || !wanted.psz || rows.empty()) return -1;
    size_t start = find->iStart > 0 ? static_cast<size_t>(find->iStart) : 0;
    size_t end = (wanted.flags & LVFI_WRAP) ? start + rows.size() : rows.size();
    for (size_t step = start; step < end; ++step) {
        size_t row = step % rows.size();
        if (StartsWithIgnoringCase(rows[row].entry.name, wanted.psz,
                                   !(wanted.flags & LVFI_PARTIAL)))
            return static_cast<int>(row);
    }
    return -1;
}

int BrowseWnd::AddFolderItem(const wchar_t* name) {
    rows.insert(rows.begin(), Row{FolderEntry(name), nextItemId++});
    fileList.SetItemCount(static_cast<int>(rows.size()));
    return 0;
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

BrowseWnd::Row* BrowseWnd::RowAt(int row) {
    return row >= 0 && static_cast<size_t>(row) < rows.size() ? &rows[static_cast<size_t>(row)]
                                                              : nullptr;
}

bool BrowseWnd::GetRowEntry(int row, wchar_t* name, int* image) {
    name[0] = L'\0';
    const Row* shown = RowAt(row);
    if (!shown) return false;
    CopyTextCut(name, kNameCapacity, shown->entry.name.c_str());
    *image = ImageOf(shown->entry);
    return true;
}

bool BrowseWnd::IsParentRow(int row) {
    const Row* shown = RowAt(row);
    return shown && shown->id == 0;
}

int BrowseWnd::FindRow(const wchar_t* name, int* image) {
    for (size_t row = 0; row < rows.size(); ++row) {
        const ListedEntry& entry = rows[row].entry;
        if (entry.name != name) continue;
        *image = ImageOf(entry);
        return static_cast<int>(row);
    }
    return -1;
}

void BrowseWnd::RenameRow(int row, const wchar_t* name) {
    Row* shown = RowAt(row);
    if (!shown) return;
    shown->entry.name = name;
    InvalidateRect(fileList.GetHandle(), nullptr, TRUE);
}

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

// No edit starts on a view whose connection a transfer holds.
void BrowseWnd::BeginRename() {
    int row = fileList.GetNextItem(-1, LVNI_SELECTED);
    if (row == -1 || IsParentRow(row) || !ListsFolderContents() || !IsIdle()) return;
    fileList.Focus();
    fileList.EditLabel(row);
}

void BrowseWnd::DeleteSelection() {
    int count = CountSelectedEntries();
    if (count == 0 || !ListsFolderContents()) return;
    wchar_t question[96];
    if (count > 1)
        swprintf(question, 96, L"Are you sure you want to delete these %d items?", count);
    else
        CopyText(question, L"Are you sure you want to delete this item?");
    if (MessageBoxW(hwnd, question, nullptr, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    std::vector<SelectedEntry> entries;
    wchar_t name[kNameCapacity];
    int image = 0;
    for (int row = fileList.GetNextItem(-1, LVNI_SELECTED); row != -1;
         row = fileList.GetNextItem(row, LVNI_SELECTED)) {
        if (IsParentRow(row) || !GetRowEntry(row, name, &image)) continue;
        if (wcscmp(name, kParentName) != 0) entries.push_back({name, image == kFolderImage});
    }
    DeleteEntries(entries);
}

void BrowseWnd::DeleteEntries(const std::vector<SelectedEntry>& entries) {
    for (const SelectedEntry& entry : entries) {
        if (entry.folder)
            DeleteFolderItem(entry.name.c_str());
        else
            DeleteFileItem(entry.name.c_str());
    }
    Refresh();
}

void BrowseWnd::ShowBusy(const std::wstring& status) {
    if (status == busyStatus) return;
    busyStatus = status;
    if (!status.empty()) note.clear();  // a new request makes an old note stale
    ShowStatusLine();
    // The pointer changes where it stands, without waiting for it to move.
    POINT pointer;
    if (GetCursorPos(&pointer)) {
        HWND over = WindowFromPoint(pointer);
        if (!SetBusyCursor(over) && (over == fileList.GetHandle() || over == statusLine))
            SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    }
}

void BrowseWnd::ShowNote(const std::wstring& text) {
    note = text;
    if (busyStatus.empty()) ShowStatusLine();
}

const std::wstring& BrowseWnd::GetStatusText() const {
    return busyStatus.empty() ? note : busyStatus;
}

void BrowseWnd::ShowStatusLine() {
    SetWindowTextW(statusLine, GetStatusText().c_str());
    LayOutChildren();
    // The list is hidden while a transfer's panel is shown; the view itself may be hidden.
    bool listShown = GetWindowLongW(fileList.GetHandle(), GWL_STYLE) & WS_VISIBLE;
    ShowWindow(statusLine, !GetStatusText().empty() && listShown ? SW_SHOW : SW_HIDE);
}

// The wait cursor shows over the list and the status line only: the rest of
// the program answers as usual.
bool BrowseWnd::SetBusyCursor(HWND over) {
    if (busyStatus.empty() || (over != fileList.GetHandle() && over != statusLine)) return false;
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    return true;
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
            return OnNotify(reinterpret_cast<const NMHDR*>(lParam));
        case WM_COMMAND:
            OnCommand(wParam, lParam);
            break;
        case WM_SETFOCUS:
            // The keys work on the list: focus given back to the view (after a
            // question, say) goes on to it.
            if (IsWindowVisible(fileList.GetHandle())) fileList.Focus();
            break;
        case WM_SETCURSOR:
            if (SetBusyCursor(reinterpret_cast<HWND>(wParam))) return TRUE;
            break;
        case WM_APP_REQUEST_DONE:
            OnRequestDone(wParam);
            return 0;
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
    statusLine = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0,
                                 0, 0, 0, hwnd, nullptr, GetWinApp()->GetInstance(), nullptr);
    CWinApp* app = GetWinApp();
    imageList.Create(16, 16, ILC_COLOR24 | ILC_MASK, 0, 10);
    imageList.AddMasked(app->LoadBitmapResource(IDB_FOLDER), kMaskColour);
    imageList.AddMasked(app->LoadBitmapResource(IDB_FILE), kMaskColour);
    fileList.Create(WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_EDITLABELS | LVS_OWNERDATA,
                    client.left, client.top + kPathBoxFieldHeight, client.right, client.bottom,
                    this, -1);
    fileList.SetImageList(imageList.GetHandle(), LVSIL_SMALL);
    int width = client.right - client.left;
    fileList.InsertColumn(0, L"Name", LVCFMT_LEFT, 3 * width / 8, 0);
    fileList.InsertColumn(kSizeColumn, L"Size", LVCFMT_LEFT, width / 6, kSizeColumn);
    fileList.InsertColumn(kTypeColumn, L"Type", LVCFMT_LEFT, width / 8, kTypeColumn);
    // The last column leaves room for the scroll bar a long list shows.
    int modifiedWidth =
        width - 3 * width / 8 - width / 6 - width / 8 - GetSystemMetrics(SM_CXVSCROLL) - 4;
    fileList.InsertColumn(kModifiedColumn, L"Modified", LVCFMT_LEFT, modifiedWidth,
                          kModifiedColumn);
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
    // A busy view says what it waits for between the path box and the list.
    if (!GetStatusText().empty()) {
        MoveWindow(statusLine, client.left + 2, client.top + fieldHeight, width - 2,
                   kStatusLineHeight, TRUE);
        fieldHeight += kStatusLineHeight;
    }
    fileList.Move(client.left, client.top + fieldHeight, width,
                  client.bottom - client.top - fieldHeight, true);
}

LRESULT BrowseWnd::OnNotify(const NMHDR* header) {
    if (header->hwndFrom != fileList.GetHandle()) return 0;
    if (header->code == LVN_ODFINDITEMW)
        return FindTypedRow(reinterpret_cast<const NMLVFINDITEMW*>(header));
    if (header->code == GN_CONTEXTMENU)
        ShowContextMenu(reinterpret_cast<const NMRGINFO*>(header)->ptAction);
    else if (header->code == LVN_ENDLABELEDITW)
        FinishRename(reinterpret_cast<const NMLVDISPINFOW*>(header));
    else if (header->code == LVN_COLUMNCLICK)
        SortByColumn(reinterpret_cast<const NMLISTVIEW*>(header)->iSubItem);
    else if (header->code == static_cast<UINT>(NM_DBLCLK))
        OpenSelectedFolder();
    else if (header->code == LVN_GETDISPINFOW)
        WriteRowCell(reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(header)));
    else if (header->code == LVN_KEYDOWN)
        OnListKey(reinterpret_cast<const NMLVKEYDOWN*>(header)->wVKey);
    return 0;
}

// The keys of the menus' commands, for the list that has the focus. A view
// whose connection is busy leaves them alone, as its menus do; Esc gives up
// what it waits for.
void BrowseWnd::OnListKey(WORD key) {
    if (key == VK_ESCAPE) AbandonRequest();
    if (!IsIdle()) return;
    if (key == VK_RETURN)
        OpenFocusedFolder();
    else if (key == VK_BACK)
        OpenFolder(kParentName);
    else if (key == VK_DELETE)
        DeleteSelection();
    else if (key == VK_F2)
        BeginRename();
    else if (key == VK_F5)
        Refresh();
    else if (key == 'A' && GetKeyState(VK_CONTROL) < 0)
        SelectAll();
}

void BrowseWnd::OpenFocusedFolder() {
    int row = fileList.GetNextItem(-1, LVNI_FOCUSED);
    wchar_t name[kNameCapacity];
    int image = 0;
    if (row != -1 && GetRowEntry(row, name, &image) && image == kFolderImage) OpenFolder(name);
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

// A busy view keeps showing the folder it is in.
void BrowseWnd::ChoosePathFromHistory() {
    if (!IsIdle()) {
        pathBox.SetCurSel(0);
        return;
    }
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
    if (!IsIdle()) return;
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

// A second click on the same header reverses the order; a new listing
// forgets it. Rows of equal keys keep their order.
void BrowseWnd::SortByColumn(int column) {
    sortDescending = column == sortColumn && !sortDescending;
    sortColumn = column;
    bool byNumber = column == kSizeColumn || column == kModifiedColumn;
    std::vector<std::wstring> texts(rows.size());
    std::vector<RowKey> keys(rows.size());
    wchar_t text[kNameCapacity];
    for (size_t row = 0; row < rows.size(); ++row) {
        const ListedEntry& entry = rows[row].entry;
        WriteCell(entry, column, text, kNameCapacity);
        texts[row] = text;
        uint64_t number = column == kSizeColumn       ? ParseSizeText(text)
                          : column == kModifiedColumn ? entry.modified
                                                      : 0;
        keys[row] = RowKey{rows[row].id, texts[row].c_str(), number};
    }
    std::vector<size_t> order(rows.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t first, size_t second) {
        return CompareRows(keys[first], keys[second], byNumber, sortDescending) < 0;
    });
    ReorderRows(order);
}

void BrowseWnd::ReorderRows(const std::vector<size_t>& order) {
    const UINT kKept = LVIS_SELECTED | LVIS_FOCUSED;
    std::vector<UINT> states(rows.size());
    for (int row = fileList.GetNextItem(-1, LVNI_SELECTED); row != -1;
         row = fileList.GetNextItem(row, LVNI_SELECTED))
        states[static_cast<size_t>(row)] |= LVIS_SELECTED;
    int focused = fileList.GetNextItem(-1, LVNI_FOCUSED);
    if (focused != -1) states[static_cast<size_t>(focused)] |= LVIS_FOCUSED;
    std::vector<Row> sorted;
    sorted.reserve(rows.size());
    for (size_t old : order) sorted.push_back(std::move(rows[old]));
    rows.swap(sorted);
    int top = fileList.GetTopIndex();
    fileList.SetItemState(-1, 0, LVIS_SELECTED);
    for (size_t row = 0; row < order.size(); ++row)
        if (states[order[row]])
            fileList.SetItemState(static_cast<int>(row), states[order[row]], kKept);
    // Focusing a row scrolls it into view; the list stays where the user left it.
    RECT bounds;
    if (fileList.GetTopIndex() != top && fileList.GetSubItemRect(0, 0, LVIR_BOUNDS, &bounds))
        fileList.Scroll(0, (top - fileList.GetTopIndex()) * (bounds.bottom - bounds.top));
    InvalidateRect(fileList.GetHandle(), nullptr, TRUE);
}

void BrowseWnd::ShowDownloadPanel(bool show) {
    ShowPanel(downloadPanel, IDD_DOWNLOAD_PROGRESS, show);
}

void BrowseWnd::ShowUploadPanel(bool show) { ShowPanel(uploadPanel, IDD_UPLOAD_PROGRESS, show); }

void BrowseWnd::ShowPanel(ProgressPanel& panel, int resourceId, bool show) {
    if (show) {
        panel.SetLabels(GetSessionName(), GetHost(), GetUser());
        // A second start message reuses the panel instead of stacking another.
        if (!panel.GetHandle() && !panel.CreateModeless(resourceId, this)) return;
        LayOutChildren();
        pathBox.Show(SW_HIDE);
        fileList.Show(SW_HIDE);
        ShowWindow(statusLine, SW_HIDE);
        panel.Show(SW_SHOW);
        return;
    }
    if (panel.GetHandle()) panel.DestroyDlg();
    if (downloadPanel.GetHandle() || uploadPanel.GetHandle()) return;
    pathBox.Show(SW_SHOW);
    fileList.Show(SW_SHOW);
    if (!GetStatusText().empty()) ShowWindow(statusLine, SW_SHOW);
}
