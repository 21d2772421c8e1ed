#include <gtest/gtest.h>

#include "cecommandbar.h"
#include "pocketpc/TestFrame.h"
#include "resources/resource.h"

#include <string>

namespace {

// Draws the image over green: a transparent pixel shows the green.
bool Transparent(HIMAGELIST images, int index, int x, int y) {
    HDC dc = CreateCompatibleDC(nullptr);
    BITMAPINFO info = {{sizeof(BITMAPINFOHEADER), 16, 16, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    HGDIOBJ old = SelectObject(dc, CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    ImageList_DrawEx(images, index, dc, 0, 0, 0, 0, RGB(0, 255, 0), CLR_NONE, ILD_NORMAL);
    bool transparent = GetPixel(dc, x, y) == RGB(0, 255, 0);
    DeleteObject(SelectObject(dc, old));
    DeleteDC(dc);
    return transparent;
}

// The frame's menu bar with the Up button added the way the frame adds it.
class MenuBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_NE(toolbar, nullptr);
        upImage = CommandBar_AddBitmap(toolbar, GetModuleHandleW(nullptr), IDB_UP, 1, 16, 16);
        TBBUTTON up = {upImage, IDM_UP, TBSTATE_ENABLED, TBSTYLE_BUTTON, {}, 0, 0};
        ASSERT_TRUE(SendMessageW(toolbar, TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&up)));
    }

    HMENU Popup(int buttonId) {
        return reinterpret_cast<HMENU>(SendMessageW(toolbar, SHCMBM_GETSUBMENU, 0, buttonId));
    }

    // A click on the button's centre; a drop-down button runs its pop-up inside it.
    void Click(int buttonId) {
        RECT button;
        SendMessageW(toolbar, TB_GETRECT, buttonId, reinterpret_cast<LPARAM>(&button));
        LPARAM centre =
            MAKELPARAM((button.left + button.right) / 2, (button.top + button.bottom) / 2);
        // Should the frame never see its pop-up, this still closes it rather than hang.
        UINT_PTR safety =
            SetTimer(nullptr, 0, 2000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
        SendMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, centre);
        SendMessageW(toolbar, WM_LBUTTONUP, 0, centre);
        KillTimer(nullptr, safety);
        PumpFor(50);
    }

    void ExpectBarBelowFrame() {
        RECT frameRect, bar;
        GetWindowRect(frame.hwnd, &frameRect);
        GetWindowRect(GetParent(toolbar), &bar);
        EXPECT_EQ(bar.left, frameRect.left);
        EXPECT_EQ(bar.top, frameRect.bottom);
        EXPECT_EQ(bar.right, frameRect.right);
        EXPECT_EQ(bar.bottom - bar.top, 26);
    }

    TestFrame frame{40, 30, 240, 300};
    HWND toolbar = frame.menuBar;
    int upImage = -1;
};

TEST_F(MenuBarTest, StripBelowTheFrameFollowsItAndHoldsTheLabelledButtonsThenUp) {
    EXPECT_EQ(GetWindow(GetParent(toolbar), GW_OWNER), frame.hwnd);
    ExpectBarBelowFrame();
    const std::pair<int, std::wstring> buttons[] = {{IDM_FILE, L"File"},
                                                    {IDM_EDIT, L"Edit"},
                                                    {IDM_VIEW, L"View"},
                                                    {IDM_HELP, L"Help"},
                                                    {IDM_UP, L""}};
    ASSERT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 5);
    for (int i = 0; i < 5; ++i) {
        TBBUTTON button = {};
        wchar_t text[16] = L"";
        SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        SendMessageW(toolbar, TB_GETBUTTONTEXTW, button.idCommand, reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(button.idCommand, buttons[i].first);
        EXPECT_EQ(text, buttons[i].second);
    }
    // The Up picture's corner is background, its middle the folder.
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0));
    EXPECT_EQ(upImage, 0);
    EXPECT_TRUE(Transparent(images, upImage, 0, 0));
    EXPECT_FALSE(Transparent(images, upImage, 8, 8));
    EXPECT_EQ(CommandBar_AddBitmap(toolbar, GetModuleHandleW(nullptr), 999, 1, 16, 16), -1);
    EXPECT_EQ(CommandBar_AddBitmap(toolbar, GetModuleHandleW(nullptr), IDB_FOLDER, 1, 16, 16), 1);

    MoveWindow(frame.hwnd, 100, 60, 300, 200, TRUE);
    ExpectBarBelowFrame();
    ShowWindow(frame.hwnd, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(GetParent(toolbar)));
    ShowWindow(frame.hwnd, SW_SHOWNORMAL);
    EXPECT_TRUE(IsWindowVisible(GetParent(toolbar)));
}

TEST_F(MenuBarTest, ButtonsOpenTheirPopupsForTheFrameAndCommandsAndUpReachIt) {
    EXPECT_EQ(Popup(IDM_UP), nullptr);
    for (int buttonId : {IDM_FILE, IDM_EDIT, IDM_VIEW, IDM_HELP}) {
        frame.popupInits.clear();
        Click(buttonId);
        ASSERT_FALSE(frame.popupInits.empty()) << buttonId;
        EXPECT_EQ(frame.popupInits[0].first, Popup(buttonId));
        EXPECT_EQ(frame.popupInits[0].second, MAKELPARAM(buttonId, FALSE));
    }
    frame.popupInits.clear();
    SendMessageW(frame.hwnd, WM_SYSCOMMAND, SC_KEYMENU, 0);  // Alt or F10
    ASSERT_EQ(frame.popupInits.size(), 1u);
    EXPECT_EQ(frame.popupInits[0].second, MAKELPARAM(IDM_FILE, FALSE));
    EXPECT_TRUE(frame.commands.empty());

    frame.keysForPopup = {VK_DOWN, VK_RETURN};
    Click(IDM_HELP);
    EXPECT_TRUE(PumpUntil([&] { return !frame.commands.empty(); }));
    // Up reports at once, but not while the frame has it greyed.
    Click(IDM_UP);
    TBBUTTONINFOW greyed = {sizeof(greyed), TBIF_STATE, 0, 0, 0, 0, 0, 0, nullptr, 0};
    SendMessageW(toolbar, TB_SETBUTTONINFOW, IDM_UP, reinterpret_cast<LPARAM>(&greyed));
    Click(IDM_UP);
    EXPECT_EQ(frame.commands, (std::vector<WORD>{IDM_ABOUT, IDM_UP}));
}

}  // namespace
