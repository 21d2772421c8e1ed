#include <gtest/gtest.h>

#include "pocketpc/MenuBarDefinition.h"
#include "pocketpc/TestFrame.h"

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

// The stand-in frame's bar, clicked as a user would click it.
class MenuBarTest : public ::testing::Test {
  protected:
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

    TestFrame frame{40, 30, 240, 300};
    HWND toolbar = frame.menuBar;
};

}  // namespace

TEST_F(MenuBarTest, StripBelowTheFrameFollowsItAndHoldsTheLabelledButtonsThenUp) {
    HWND bar = GetParent(toolbar);
    EXPECT_EQ(GetWindow(bar, GW_OWNER), frame.hwnd);
    EXPECT_TRUE(IsWindowVisible(bar));
    const int ids[] = {IDM_FILE, IDM_EDIT, IDM_VIEW, IDM_HELP, IDM_UP};
    const wchar_t* labels[] = {L"File", L"Edit", L"View", L"Help", L""};
    ASSERT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 5);
    for (int i = 0; i < 5; ++i) {
        wchar_t text[16] = L"";
        SendMessageW(toolbar, TB_GETBUTTONTEXTW, ids[i], reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(SendMessageW(toolbar, TB_COMMANDTOINDEX, ids[i], 0), i);
        EXPECT_STREQ(text, labels[i]);
    }
    // The Up picture, the bar's first, has a background corner and the folder in its middle.
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0));
    EXPECT_TRUE(Transparent(images, 0, 0, 0));
    EXPECT_FALSE(Transparent(images, 0, 8, 8));
    EXPECT_EQ(CommandBar_AddBitmap(toolbar, GetModuleHandleW(nullptr), 999, 1, 16, 16), -1);
    EXPECT_EQ(CommandBar_AddBitmap(toolbar, GetModuleHandleW(nullptr), IDB_FOLDER, 1, 16, 16), 1);

    // The strip follows the frame's bottom edge, 26 high, and hides with it.
    MoveWindow(frame.hwnd, 100, 60, 300, 200, TRUE);
    RECT placed, below = {100, 260, 400, 286};
    GetWindowRect(bar, &placed);
    EXPECT_TRUE(EqualRect(&placed, &below));
    ShowWindow(frame.hwnd, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(bar));
    ShowWindow(frame.hwnd, SW_SHOWNORMAL);
    EXPECT_TRUE(IsWindowVisible(bar));
}

TEST_F(MenuBarTest, ButtonsOpenTheirPopupsForTheFrameAndCommandsAndUpReachIt) {
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

TEST(MenuBarDefinitionTest, DefinitionShorterThanItsCountOrMissingIsRefused) {
    WORD words[] = {IDR_MENUBAR, 1, 0xFFFE, IDM_FILE, 4, 24, IDS_FILE, 0, 0};
    MenuBarDefinition definition;
    EXPECT_TRUE(ParseMenuBarDefinition(words, 9, nullptr, &definition));
    EXPECT_FALSE(ParseMenuBarDefinition(words, 8, nullptr, &definition));
    EXPECT_FALSE(ParseMenuBarDefinition(words, 1, nullptr, &definition));
    words[1] = 0xFFFF;
    EXPECT_FALSE(ParseMenuBarDefinition(words, 9, nullptr, &definition));

    SHMENUBARINFO info = {
        sizeof(info), GetDesktopWindow(), 0, 999, GetModuleHandleW(nullptr), 0, 0, nullptr, 0};
    EXPECT_FALSE(SHCreateMenuBar(&info));
}
