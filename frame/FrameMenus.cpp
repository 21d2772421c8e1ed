// The menu items the frame inserts at run time: one per saved session in
// File > Connect and File > Remove Session, one per open connection view in
// View and File > Disconnect. Each item's data links it to its view's node.
#include <cwchar>

#include "app/FtpClientApp.h"
#include "browsers/BrowseWnd.h"
#include "frame/FrameWnd.h"
#include "framework/CWinApp.h"
#include "resources/resource.h"

namespace {

const int kConnectPosition = 0;
const int kDisconnectPosition = 1;
const int kRemoveSessionPosition = 2;
const int kInsertedItemsPosition = 2;
const size_t kItemTextCapacity = 512;

struct MenuItem {
    UINT id;
    ULONG_PTR data;
    wchar_t text[kItemTextCapacity];
};

bool ReadItem(HMENU menu, UINT item, BOOL byPosition, MenuItem* out) {
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_ID | MIIM_TYPE | MIIM_DATA;
    info.dwTypeData = out->text;
    info.cch = kItemTextCapacity;
    out->text[0] = L'\0';
    if (!menu || !GetMenuItemInfoW(menu, item, byPosition, &info)) return false;
    out->id = info.wID;
    out->data = info.dwItemData;
    return true;
}

// Returns the new item's id, 0 when none could be added.
UINT InsertItem(HMENU menu, int position, const wchar_t* text, ULONG_PTR data) {
    if (!menu) return 0;
    WORD id = GetWinApp()->NextCommandId();
    if (id == 0 || !InsertMenuW(menu, position, MF_BYPOSITION | MF_STRING, id, text)) return 0;
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_DATA;
    info.dwItemData = data;
    SetMenuItemInfoW(menu, id, FALSE, &info);
    return id;
}

void RemoveItemWithData(HMENU menu, ULONG_PTR data) {
    MenuItem item;
    for (int position = 0; ReadItem(menu, position, TRUE, &item); ++position) {
        if (item.data == data) {
            RemoveMenu(menu, item.id, MF_BYCOMMAND);
            return;
        }
    }
}

// Only inserted items are candidates: a session may be named like a fixed item.
void RemoveItemWithText(HMENU menu, const wchar_t* text) {
    MenuItem item;
    for (int position = 0; ReadItem(menu, position, TRUE, &item); ++position) {
        if (CWinApp::IsDynamicCommandId(item.id) && wcscmp(item.text, text) == 0) {
            RemoveMenu(menu, item.id, MF_BYCOMMAND);
            return;
        }
    }
}

}  // namespace

HMENU FrameWnd::GetBarPopup(UINT buttonId) const {
    if (!menuBar) return nullptr;
    return reinterpret_cast<HMENU>(SendTo(menuBar, SHCMBM_GETSUBMENU, 0, buttonId));
}

HMENU FrameWnd::GetFileSubmenu(int position) const {
    HMENU file = GetBarPopup(IDM_FILE);
    return file ? GetSubMenu(file, position) : nullptr;
}

void FrameWnd::FillSessionMenus() {
    PtrList<WString*> names;
    GetApp()->sessions.CopyNames(names);
    while (!names.IsEmpty()) {
        WString* name = names.RemoveHead();
        AddSessionItems(name->GetText());
        delete name;
    }
}

void FrameWnd::AddViewItems(const wchar_t* menuText, ViewNode* node) {
    ULONG_PTR data = reinterpret_cast<ULONG_PTR>(node);
    InsertItem(GetBarPopup(IDM_VIEW), 0, menuText, data);
    InsertItem(GetFileSubmenu(kDisconnectPosition), kInsertedItemsPosition, menuText, data);
}

void FrameWnd::RemoveViewItems(ViewNode* node) {
    ULONG_PTR data = reinterpret_cast<ULONG_PTR>(node);
    RemoveItemWithData(GetFileSubmenu(kDisconnectPosition), data);
    RemoveItemWithData(GetBarPopup(IDM_VIEW), data);
}

void FrameWnd::AddSessionItems(const wchar_t* name) {
    InsertItem(GetFileSubmenu(kConnectPosition), kInsertedItemsPosition, name, 0);
    InsertItem(GetFileSubmenu(kRemoveSessionPosition), kInsertedItemsPosition, name, 0);
}

void FrameWnd::RemoveSessionItems(const wchar_t* name) {
    RemoveItemWithText(GetFileSubmenu(kRemoveSessionPosition), name);
    RemoveItemWithText(GetFileSubmenu(kConnectPosition), name);
}

// An inserted item is known by the menu that holds it.
void FrameWnd::HandleInsertedItem(UINT id) {
    MenuItem item;
    HMENU removeSession = GetFileSubmenu(kRemoveSessionPosition);
    if (ReadItem(GetBarPopup(IDM_VIEW), id, FALSE, &item)) {
        ViewNode* node = reinterpret_cast<ViewNode*>(item.data);
        if (HoldsNode(node) && node != currentView)
            SwitchTo(node);
        else
            UpdateTitle();
    } else if (ReadItem(GetFileSubmenu(kDisconnectPosition), id, FALSE, &item)) {
        ViewNode* node = reinterpret_cast<ViewNode*>(item.data);
        if (HoldsNode(node) && node != localView)
            CloseNode(node);
        else
            UpdateTitle();
    } else if (ReadItem(GetFileSubmenu(kConnectPosition), id, FALSE, &item)) {
        ConnectSavedSession(item.text);
    } else if (ReadItem(removeSession, id, FALSE, &item)) {
        GetApp()->sessions.RemoveByName(item.text);
        RemoveMenu(removeSession, id, MF_BYCOMMAND);
        RemoveItemWithText(GetFileSubmenu(kConnectPosition), item.text);
        GetApp()->SaveSessions();
    }
}
