#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <utility>
#include <vector>

#include "DialogControls.h"
#include "dialogs/SmartTab.h"
#include "framework/BaseDlg.h"
#include "resources/resource.h"
#include "support/GuiApp.h"

using Texts = std::vector<std::wstring>;

// A strip in a window of its own, with up to three plain pages A, B and C.
class SmartTabTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(host.Create(FrameWnd::kClassName, L"host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                0, 320, 320, nullptr, nullptr));
        ASSERT_TRUE(strip.Create(WS_CHILD | WS_VISIBLE, 0, 0, 300, 280, &host, 0));
        tabs = FindWindowExW(strip.GetHandle(), nullptr, WC_TABCONTROLW, nullptr);
    }
    void TearDown() override {
        host.DestroyWnd();
        PumpMessages();
    }

    Texts TabTexts() {
        Texts texts;
        for (int index = 0; index < TabCtrl_GetItemCount(tabs); ++index) {
            wchar_t text[64] = L"";
            TCITEMW item = {};
            item.mask = TCIF_TEXT;
            item.pszText = text;
            item.cchTextMax = 64;
            TabCtrl_GetItem(tabs, index, &item);
            texts.push_back(text);
        }
        return texts;
    }
    // The captions of the pages that can be seen.
    Texts Shown() {
        Texts shown;
        const std::pair<const wchar_t*, BaseDlg*> pages[] = {{L"A", &a}, {L"B", &b}, {L"C", &c}};
        for (const auto& [caption, page] : pages)
            if (page->GetHandle() && IsWindowVisible(page->GetHandle())) shown.push_back(caption);
        return shown;
    }
    // 5 pixels inside the tab control's edges and below its row of tabs.
    void ExpectLaidOut(BaseDlg& page) {
        RECT body, row, placed;
        GetClientRect(tabs, &body);
        TabCtrl_GetItemRect(tabs, 0, &row);
        page.GetWindowRect(&placed);
        MapWindowPoints(nullptr, tabs, reinterpret_cast<POINT*>(&placed), 2);
        RECT expected = {5, row.bottom + 5, body.right - 5, body.bottom - 5};
        EXPECT_TRUE(EqualRect(&expected, &placed));
    }

    GuiApp app;
    BaseWnd host;
    SmartTab strip;
    BaseDlg a, b, c;
    HWND tabs = nullptr;
};

TEST_F(SmartTabTest, EachNewPageComesFirstAndOnlyTheSelectedPageShows) {
    strip.AddPage(L"A", &a, IDD_GENERAL_PAGE);
    strip.AddPage(L"B", &b, IDD_FTP_PAGE);
    EXPECT_EQ((Texts{L"B", L"A"}), TabTexts());
    EXPECT_EQ(0, TabCtrl_GetCurSel(tabs));
    EXPECT_EQ((Texts{L"B"}), Shown());
    ClickTab(tabs, 1);
    EXPECT_EQ((Texts{L"A"}), Shown());
    ClickTab(tabs, 0);
    EXPECT_EQ((Texts{L"B"}), Shown());

    SmartTab::PageNode* node = strip.AddPage(L"C", &c, IDD_GENERAL_PAGE);
    EXPECT_EQ(&c, node->element.page);
    EXPECT_EQ((Texts{L"C", L"B", L"A"}), TabTexts());
    EXPECT_EQ((Texts{L"C"}), Shown());
    ClickTab(tabs, 1);
    EXPECT_EQ((Texts{L"B"}), Shown());
    ClickTab(tabs, 2);
    EXPECT_EQ((Texts{L"A"}), Shown());

    // A selection change with no tab selected leaves the shown page alone.
    TabCtrl_SetCurSel(tabs, -1);
    NMHDR change = {tabs, 0, static_cast<UINT>(TCN_SELCHANGE)};
    strip.Send(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ((Texts{L"A"}), Shown());
}

TEST_F(SmartTabTest, PagesLieInsideTheTabControlBelowItsTabsAndFollowItsSize) {
    strip.AddPage(L"A", &a, IDD_GENERAL_PAGE);
    strip.AddPage(L"B", &b, IDD_FTP_PAGE);
    ExpectLaidOut(a);
    ExpectLaidOut(b);
    strip.Move(0, 0, 240, 200, true);
    RECT body;
    GetClientRect(tabs, &body);
    EXPECT_EQ(240, body.right);
    ExpectLaidOut(a);
    ExpectLaidOut(b);
}
