#include <gtest/gtest.h>

#include "aygshell.h"
#include "cecommandbar.h"
#include "pocketpc/MessagePump.h"
#include "pocketpc/TestFrame.h"
#include "resources/resource.h"

#include <commctrl.h>

#include <string>

namespace {

const int kMenuButtons[] = {IDM_FILE, IDM_EDIT, IDM_VIEW, IDM_HELP};

// A frame with the program's menu bar and Up button, built the way the frame builds them.
class MenuBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SHMENUBARINFO info = {};
        info.cbSize = sizeof(info);
        info.hwndParent = frame.Handle();
        info.nToolBarId = IDR_MENUBAR;
        info.hInstRes = GetModuleHandleW(nullptr);
        ASSERT_TRUE(SHCreateMenuBar(&info));
        toolbar = info.hwndMB;
        bar = GetParent(toolbar);

        upImage = CommandBar_AddBitmap(toolbar, GetModuleHandleW(nullptr), IDB_UP, 1, 16, 16);
        TBBUTTON up = {};
        up.iBitmap = 0;
        up.idCommand = IDM_UP;
        up.fsState = TBSTATE_ENABLED;
        up.fsStyle = TBSTYLE_BUTTON;
        ASSERT_TRUE(SendMessageW(toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&up)));
    }

    HMENU Popup(int buttonId) {
        return reinterpret_cast<HMENU>(SendMessageW(toolbar, SHCMBM_GETSUBMENU, 0, buttonId));
    }

    // A real click on the button's centre; a drop-down button runs its pop-up inside.
    void Click(int buttonId) {
        RECT button;
        SendMessageW(toolbar, TB_GETRECT, buttonId, reinterpret_cast<LPARAM>(&button));
        LPARAM centre =
            MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
        SendMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, centre);
        SendMessageW(toolbar, WM_LBUTTONUP, 0, centre);
    }

    void SetUpState(BYTE state) {
        TBBUTTONINFOW info = {};
        info.cbSize = sizeof(info);
        info.dwMask = TBIF_STATE;
        info.fsState = state;
        SendMessageW(toolbar, TB_SETBUTTONINFOW, IDM_UP, reinterpret_cast<LPARAM>(&info));
    }

    bool CommandArrived(WORD id) {
        PumpFor(50);
        for (WORD command : frame.commands) {
            if (command == id) return true;
        }
        return false;
    }

    TestFrame frame{40, 30, 240, 300};
    HWND toolbar = nullptr;
    HWND bar = nullptr;
    int upImage = -1;
};

std::wstring ButtonText(HWND toolbar, int commandId) {
    wchar_t text[64] = L"";
    SendMessageW(toolbar, TB_GETBUTTONTEXTW, commandId, reinterpret_cast<LPARAM>(text));
    return text;
}

void ExpectBarBelow(HWND bar, HWND frame) {
    RECT frameRect, barRect;
    GetWindowRect(frame, &frameRect);
    GetWindowRect(bar, &barRect);
    EXPECT_EQ(barRect.left, frameRect.left);
    EXPECT_EQ(barRect.top, frameRect.bottom);
    EXPECT_EQ(barRect.right, frameRect.right);
    EXPECT_EQ(barRect.bottom - barRect.top, 26);
}

TEST_F(MenuBarTest, BarIsOwnedStripBelowFrameWithLabelledButtonsThenUp) {
    EXPECT_EQ(GetWindow(bar, GW_OWNER), frame.Handle());
    EXPECT_TRUE(IsWindowVisible(bar));
    ExpectBarBelow(bar, frame.Handle());

    ASSERT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 5);
    const wchar_t* labels[] = {L"File", L"Edit", L"View", L"Help"};
    for (int i = 0; i < 5; ++i) {
        TBBUTTON button = {};
        SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        if (i < 4) {
            EXPECT_EQ(button.idCommand, kMenuButtons[i]);
            EXPECT_EQ(ButtonText(toolbar, button.idCommand), labels[i]);
            EXPECT_EQ(button.fsStyle, TBSTYLE_DROPDOWN | TBSTYLE_AUTOSIZE);
        } else {
            EXPECT_EQ(button.idCommand, IDM_UP);
            EXPECT_EQ(button.iBitmap, upImage);
            EXPECT_EQ(ButtonText(toolbar, IDM_UP), L"");
        }
    }
    EXPECT_EQ(upImage, 0);
}

TEST_F(MenuBarTest, BarFollowsFrameWhenMovedResizedHiddenAndShown) {
    MoveWindow(frame.Handle(), 100, 60, 300, 200, TRUE);
    ExpectBarBelow(bar, frame.Handle());

    ShowWindow(frame.Handle(), SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(bar));
    ShowWindow(frame.Handle(), SW_SHOWNORMAL);
    EXPECT_TRUE(IsWindowVisible(bar));
    ExpectBarBelow(bar, frame.Handle());
}

TEST_F(MenuBarTest, GetSubmenuGivesTheLivePopupOfEachMenuButton) {
    HMENU file = Popup(IDM_FILE);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(GetMenuItemID(GetSubMenu(file, 0), 0), static_cast<UINT>(IDM_NEW_HOST));
    EXPECT_EQ(GetMenuItemID(GetSubMenu(file, 1), 0), static_cast<UINT>(IDM_CURRENT_VIEW));
    EXPECT_EQ(GetMenuItemID(GetSubMenu(file, 2), 0), static_cast<UINT>(IDM_ALL_SESSIONS));
    EXPECT_EQ(GetMenuItemID(file, 3), static_cast<UINT>(IDM_QUIT));
    EXPECT_EQ(GetMenuItemID(Popup(IDM_EDIT), 0), static_cast<UINT>(IDM_SELECT_ALL));
    EXPECT_EQ(GetMenuItemID(Popup(IDM_HELP), 0), static_cast<UINT>(IDM_ABOUT));
    EXPECT_EQ(Popup(IDM_UP), nullptr);
    EXPECT_EQ(Popup(12345), nullptr);

    // Items the program inserts stay in the pop-up the bar shows next.
    HMENU view = Popup(IDM_VIEW);
    ASSERT_TRUE(InsertMenuW(view, 0, MF_BYPOSITION | MF_STRING, 50000, L"ftp.example"));
    EXPECT_EQ(Popup(IDM_VIEW), view);
    EXPECT_EQ(GetMenuItemID(Popup(IDM_VIEW), 0), 50000u);
    EXPECT_EQ(GetMenuItemID(Popup(IDM_VIEW), 1), static_cast<UINT>(IDM_LOCAL));
}

TEST_F(MenuBarTest, ClickingAMenuButtonOpensItsPopupForTheFrameWithTheButtonId) {
    for (int buttonId : kMenuButtons) {
        frame.popupInits.clear();
        Click(buttonId);
        ASSERT_FALSE(frame.popupInits.empty()) << buttonId;
        EXPECT_EQ(frame.popupInits[0].menu, Popup(buttonId));
        EXPECT_EQ(LOWORD(frame.popupInits[0].lParam), buttonId);
        EXPECT_EQ(HIWORD(frame.popupInits[0].lParam), FALSE);
    }
    EXPECT_TRUE(frame.commands.empty());
}

TEST_F(MenuBarTest, ChosenMenuItemReachesTheFrame) {
    frame.keysForPopup = {VK_DOWN, VK_RETURN};
    Click(IDM_HELP);
    EXPECT_TRUE(PumpUntil([&] { return !frame.commands.empty(); }, 2000));
    ASSERT_EQ(frame.commands.size(), 1u);
    EXPECT_EQ(frame.commands[0], IDM_ABOUT);
}

TEST_F(MenuBarTest, UpButtonReportsToFrameUnlessGreyed) {
    Click(IDM_UP);
    EXPECT_TRUE(CommandArrived(IDM_UP));

    frame.commands.clear();
    SetUpState(0);
    EXPECT_EQ(SendMessageW(toolbar, TB_GETSTATE, IDM_UP, 0), 0);
    Click(IDM_UP);
    EXPECT_FALSE(CommandArrived(IDM_UP));

    SetUpState(TBSTATE_ENABLED);
    Click(IDM_UP);
    EXPECT_TRUE(CommandArrived(IDM_UP));
}

TEST_F(MenuBarTest, SecondBarReplacesFirstAndFrameDestructionTakesTheBar) {
    SHMENUBARINFO info = {};
    info.hwndParent = frame.Handle();
    info.nToolBarId = IDR_MENUBAR;
    info.hInstRes = GetModuleHandleW(nullptr);
    ASSERT_TRUE(SHCreateMenuBar(&info));
    EXPECT_FALSE(IsWindow(bar));
    EXPECT_FALSE(IsWindow(toolbar));

    HWND secondBar = GetParent(info.hwndMB);
    MoveWindow(frame.Handle(), 10, 10, 200, 200, TRUE);
    ExpectBarBelow(secondBar, frame.Handle());
    DestroyWindow(frame.Handle());
    EXPECT_FALSE(IsWindow(secondBar));
}

TEST(MenuBarFailureTest, MissingResourcesOrParentFailWithoutABar) {
    TestFrame frame(0, 0, 200, 200);
    SHMENUBARINFO info = {};
    info.hwndParent = frame.Handle();
    info.nToolBarId = 999;
    info.hInstRes = GetModuleHandleW(nullptr);
    EXPECT_FALSE(SHCreateMenuBar(&info));
    EXPECT_EQ(info.hwndMB, nullptr);

    info.nToolBarId = IDR_MENUBAR;
    info.hwndParent = nullptr;
    EXPECT_FALSE(SHCreateMenuBar(&info));
    EXPECT_FALSE(SHCreateMenuBar(nullptr));
}

}  // namespace
