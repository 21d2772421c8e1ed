// The frame's menu bar commands and the preparation of its pop-ups.
#include <cwchar>

#include "app/FtpClientApp.h"
#include "browsers/BrowseWnd.h"
#include "dialogs/AboutDlg.h"
#include "dialogs/ConnectDlg.h"
#include "dialogs/OptionsDlg.h"
#include "frame/FrameWnd.h"
#include "framework/CWinApp.h"
#include "resources/resource.h"

void FrameWnd::HandleCommand(UINT id, UINT, LPARAM) {
    BrowseWnd* view = GetCurrentView();
    switch (id) {
        case IDM_NEW_HOST:
            ConnectNewHost();
            break;
        case IDM_CURRENT_VIEW:
            CloseCurrentView();
            break;
        case IDM_ALL_SESSIONS:
            RemoveAllSessions();
            break;
        case IDM_QUIT:
            Quit();
            break;
        case IDM_SELECT_ALL:
            if (view) view->SelectAll();
            break;
        case IDM_INVERT_SELECTION:
            if (view) view->InvertSelection();
            break;
        case IDM_DELETE:
            if (view) view->DeleteSelection();
            break;
        case IDM_RENAME:
            if (view) view->BeginRename();
            break;
        case IDM_LOCAL:
            if (localView) SwitchTo(localView);
            break;
        // A busy view's Refresh is greyed; its Up button waits for none.
        case IDM_REFRESH:
            if (view && view->IsIdle()) view->Refresh();
            break;
        case IDM_OPTIONS: {
            OptionsDlg options;
            if (options.RunModal(IDD_OPTIONS, this) == IDOK) GetApp()->SaveOptions();
            break;
        }
        case IDM_ABOUT:
            ShowAbout();
            break;
        case IDM_UP:
            if (view && view->IsIdle()) view->OpenFolder(L"..");
            break;
        default:
            if (CWinApp::IsDynamicCommandId(id)) HandleInsertedItem(id);
            break;
    }
}

// A new host with "Save Host" ticked is kept, in the registry at once, once its
// login succeeded.
void FrameWnd::ConnectNewHost() {
    ConnectDlg dialog;
    if (ConnectWithDialog(dialog) && dialog.Record().bSaveHost) KeepNewSession(dialog.Record());
}

// A name already taken keeps its session as it was.
void FrameWnd::KeepNewSession(const SessionInfo& record) {
    if (!GetApp()->sessions.AddIfAbsent(record)) return;
    AddSessionItems(record.name);
    GetApp()->SaveSessions();
}

// The dialog opens filled in with the session. With "Save Host" ticked, what
// the user typed there replaces the session once the login succeeded (a new
// name keeps the old session and saves a new one); unticked, it serves this
// connection only.
void FrameWnd::ConnectSavedSession(const wchar_t* name) {
    SessionList& sessions = GetApp()->sessions;
    const SessionInfo* session = sessions.FindByName(name);
    if (!session) return;
    ConnectDlg dialog;
    dialog.Record() = *session;
    if (!ConnectWithDialog(dialog)) return;
    const SessionInfo& record = dialog.Record();
    if (!record.bSaveHost) return;
    if (sessions.Replace(record))
        GetApp()->SaveSessions();
    else
        KeepNewSession(record);
}

void FrameWnd::RemoveAllSessions() {
    if (MessageBoxW(hwnd, L"Are you sure you want to remove ALL saved sessions?", nullptr,
                    MB_YESNO | MB_ICONINFORMATION) != IDYES)
        return;
    SessionList& sessions = GetApp()->sessions;
    while (sessions.GetCount() != 0) {
        SessionInfo* session = sessions.RemoveHead();
        RemoveSessionItems(session->name);
        delete session;
    }
    GetApp()->SaveSessions();
}

void FrameWnd::ShowAbout() {
    AboutDlg about;
    Enable(false);
    about.RunModal(IDD_ABOUT, this);
    Enable(true);
}

void FrameWnd::PrepareMenuPopup(HMENU menu, UINT buttonId, UINT high) {
    if (buttonId == IDM_FILE) PrepareFileMenu();
    if (buttonId == IDM_VIEW) PrepareViewMenu(menu);
    if (BrowseWnd* view = GetCurrentView())
        view->UpdateMenuItems(menu, static_cast<WORD>(buttonId), static_cast<WORD>(high));
}

void FrameWnd::PrepareFileMenu() {
    UINT state = currentView == localView ? MF_GRAYED : MF_ENABLED;
    if (HMENU disconnect = GetFileSubmenu(1)) EnableMenuItem(disconnect, 0, MF_BYPOSITION | state);
}

// The shown view carries the check mark: "Local", or the item of its node.
void FrameWnd::PrepareViewMenu(HMENU menu) {
    for (int position = 0;; ++position) {
        wchar_t text[512] = L"";
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_TYPE | MIIM_DATA;
        info.dwTypeData = text;
        info.cch = 512;
        if (!GetMenuItemInfoW(menu, position, TRUE, &info)) break;
        bool shown = currentView == localView
                         ? wcscmp(text, L"Local") == 0
                         : info.dwItemData == reinterpret_cast<ULONG_PTR>(currentView);
        CheckMenuItem(menu, position, MF_BYPOSITION | (shown ? MF_CHECKED : MF_UNCHECKED));
    }
}
