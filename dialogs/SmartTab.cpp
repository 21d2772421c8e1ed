#include "dialogs/SmartTab.h"

#include "framework/BaseDlg.h"
#include "framework/TextUtil.h"

namespace {

const int kPageMargin = 5;

}  // namespace

SmartTab::SmartTab() : currentPage(nullptr) {}

// The tab control leaves its image list behind.
SmartTab::~SmartTab() { imageList.Destroy(); }

bool SmartTab::RegisterWindowClass(HINSTANCE instance) {
    return RegisterProgramWindowClass(instance, kClassName);
}

bool SmartTab::CreateInDialog(DWORD style, int x, int y, int width, int height, BaseDlg* parent,
                              int id) {
    return BaseWnd::CreateInDialog(kClassName, nullptr, style, x, y, width, height, parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

LRESULT SmartTab::OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate();
            break;
        case WM_SIZE:
            LayOut();
            break;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->hwndFrom == tabs.GetHandle() && header->code == TCN_SELCHANGE)
                ShowSelectedPage();
            break;
        }
    }
    return BaseWnd::OnWindowMessage(handle, message, wParam, lParam);
}

// A window made again starts without tabs: the pages of the last one went with it.
void SmartTab::OnCreate() {
    pages.RemoveAll();
    currentPage = nullptr;
    imageList.Destroy();
    imageList.Create(16, 16, 0, 0, 10);
    // The pages live inside the tab control, so dialog keyboard navigation has to walk into us.
    SetWindowLongPtrW(hwnd, GWL_EXSTYLE,
                      GetWindowLongPtrW(hwnd, GWL_EXSTYLE) | WS_EX_CONTROLPARENT);
    RECT client;
    GetClientRect(&client);
    tabs.Create(WS_CHILD | WS_VISIBLE | TCS_FIXEDWIDTH, 0, 0, client.right, client.bottom, this, 0);
    // The tabs are labelled in the font of the dialog around them, not the system's.
    tabs.Send(WM_SETFONT, SendTo(GetParent(hwnd), WM_GETFONT, 0, 0), FALSE);
    tabs.SetImageList(imageList.GetHandle());
}

// The tab control fills the strip and every page keeps its place inside it.
void SmartTab::LayOut() {
    RECT client;
    GetClientRect(&client);
    tabs.Move(0, 0, client.right, client.bottom, true);
    for (PageNode* node = pages.GetHead(); node; node = node->next) PlacePage(node->element.page);
}

// The tab control's body less a margin all round, the top one counted from the
// bottom of the row of tabs (which the control draws a little below its top).
RECT SmartTab::PageRect() {
    RECT area = {}, row = {};
    tabs.GetClientRect(&area);
    tabs.GetItemRect(0, &row);
    area.left += kPageMargin;
    area.right -= kPageMargin;
    area.bottom -= kPageMargin;
    area.top = row.bottom + kPageMargin;
    return area;
}

void SmartTab::PlacePage(BaseDlg* page) {
    RECT area = PageRect();
    page->Move(area.left, area.top, area.right - area.left, area.bottom - area.top, true);
}

SmartTab::PageNode* SmartTab::AddPage(const wchar_t* caption, BaseDlg* page, int resourceId) {
    TabPageRec record = {};
    CopyTextCut(record.caption, caption);
    record.page = page;
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = record.caption;
    tabs.InsertItem(0, &item);
    tabs.SetCurSel(0);
    page->CreateModeless(resourceId, &tabs);
    PlacePage(page);
    page->Show(SW_SHOW);
    if (currentPage) currentPage->element.page->Show(SW_HIDE);
    currentPage = pages.AddHead(record);
    return currentPage;
}

// The list holds the pages in tab order, so the selected index walks to its page.
void SmartTab::ShowSelectedPage() {
    int index = tabs.GetCurSel();
    if (index < 0) return;
    if (currentPage) currentPage->element.page->Show(SW_HIDE);
    currentPage = pages.GetHead();
    for (int step = 0; step < index && currentPage; ++step) currentPage = currentPage->next;
    if (currentPage) currentPage->element.page->Show(SW_SHOW);
}
