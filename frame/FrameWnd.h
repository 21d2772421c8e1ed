#pragma once

#include <windows.h>

#include "resources/AppMessages.h"
#include <commctrl.h>

#include "framework/BaseWnd.h"
#include "framework/PtrList.h"

class BrowseWnd;
class ConnectDlg;
struct SessionInfo;

// The program's one top-level window: the menu bar with its Up button along
// the bottom and a body of views, of which exactly one is shown. The local
// view is created with the frame and stays first; one more view exists per
// open connection.
class FrameWnd : public BaseWnd {
  public:
    using ViewList = PtrList<BrowseWnd*>;
    using ViewNode = ViewList::Node;

    static constexpr const wchar_t* kClassName = L"FrameWnd";

    FrameWnd();
    ~FrameWnd() override;

    static bool RegisterWindowClass(HINSTANCE instance);
    bool CreateFrame(const wchar_t* text, DWORD style, int x, int y, int width, int height,
                     UINT menuBarResource);

    // Runs the Connect dialog and the login; a logged-in connection becomes
    // the shown view. False when the user cancelled or the login failed.
    bool ConnectWithDialog(ConnectDlg& dialog);
    // Makes a newly connected view part of the frame: appends it, lists it,
    // shows it and gives it its View and Disconnect items.
    void AddView(BrowseWnd* view, const wchar_t* menuText);
    void UpdateTitle();
    void ShowView(BrowseWnd* view);
    BrowseWnd* GetCurrentView() const;
    BrowseWnd* GetLocalView() const;
    const wchar_t* GetLocalPath() const;
    void GetRemoteViews(PtrList<BrowseWnd*>& remoteViews) const;
    void SetToolButtonState(UINT commandId, BYTE state);
    HWND GetMenuBar() const { return menuBar; }

    // Menu bar commands and the menus that list sessions and views.
    void HandleCommand(UINT id, UINT code, LPARAM lParam);
    void PrepareMenuPopup(HMENU menu, UINT buttonId, UINT high);
    void FillSessionMenus();
    void AddViewItems(const wchar_t* menuText, ViewNode* node);
    void RemoveViewItems(ViewNode* node);
    void AddSessionItems(const wchar_t* name);
    void RemoveSessionItems(const wchar_t* name);

  protected:
    LRESULT OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void OnCreate();
    void CreateMenuBar();
    void CreateLocalView();
    void ResizeViews();
    void SwitchTo(ViewNode* node);
    ViewNode* FindNode(BrowseWnd* view) const;
    bool HoldsNode(const ViewNode* node) const;
    void CloseNode(ViewNode* node);
    void CloseCurrentView();
    // Closes every connection's view, which ends their prompts and workers.
    void CloseRemoteViews();
    void Quit();
    void ConnectNewHost();
    void ConnectSavedSession(const wchar_t* name);
    void KeepNewSession(const SessionInfo& record);
    void RemoveAllSessions();
    void ShowAbout();
    void HandleInsertedItem(UINT id);
    HMENU GetBarPopup(UINT buttonId) const;
    HMENU GetFileSubmenu(int position) const;
    void PrepareFileMenu();
    void PrepareViewMenu(HMENU menu);

    UINT menuBarId;
    ViewList views;
    ViewNode* currentView;
    HWND menuBar;
    ViewNode* localView;
    TBBUTTON upButton;
};
