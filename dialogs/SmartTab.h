#pragma once

#include <windows.h>

#include "framework/BaseWnd.h"
#include "framework/ImageListObj.h"
#include "framework/PtrList.h"
#include "framework/TabCtl.h"

class BaseDlg;

// One tab of a SmartTab: its caption and the child dialog it shows.
struct TabPageRec {
    wchar_t caption[128];
    BaseDlg* page;  // not owned
};

// A row of tabs over child dialogs ("pages") of which exactly one is visible:
// the page of the selected tab. The pages belong to whoever added them.
class SmartTab : public BaseWnd {
  public:
    using PageList = PtrList<TabPageRec>;
    using PageNode = PageList::Node;

    static constexpr const wchar_t* kClassName = L"SmartTab";

    SmartTab();
    ~SmartTab() override;

    static bool RegisterWindowClass(HINSTANCE instance);

    using BaseWnd::CreateInDialog;
    bool CreateInDialog(DWORD style, int x, int y, int width, int height, BaseDlg* parent, int id);

    // Creates the page from its dialog resource as the first tab, selected and shown.
    PageNode* AddPage(const wchar_t* caption, BaseDlg* page, int resourceId);

  protected:
    LRESULT OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void OnCreate();
    void LayOut();
    RECT PageRect();
    void PlacePage(BaseDlg* page);
    void ShowSelectedPage();

    PageList pages;  // in tab order
    PageNode* currentPage;
    ImageListObj imageList;
    TabCtl tabs;
};
