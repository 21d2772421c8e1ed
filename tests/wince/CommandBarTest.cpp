#include <gtest/gtest.h>

#include "cecommandbar.h"
#include "resources/resource.h"

#include <commctrl.h>

namespace {

class CommandBarTest : public ::testing::Test {
  protected:
    void SetUp() override {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_BAR_CLASSES};
        InitCommonControlsEx(&controls);
        toolbar = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr, WS_POPUP | TBSTYLE_FLAT, 0, 0, 200,
                                  26, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(toolbar, nullptr);
        SendMessageW(toolbar, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    }
    void TearDown() override { DestroyWindow(toolbar); }

    int Add(int bitmapId) {
        return CommandBar_AddBitmap(toolbar, GetModuleHandleW(nullptr), bitmapId, 1, 16, 16);
    }

    HWND toolbar = nullptr;
};

// Draws the image over green: a transparent pixel shows the green.
bool Transparent(HIMAGELIST images, int index, int x, int y) {
    const COLORREF green = RGB(0, 255, 0);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, canvas);
    RECT all = {0, 0, 16, 16};
    HBRUSH brush = CreateSolidBrush(green);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    ImageList_Draw(images, index, dc, 0, 0, ILD_TRANSPARENT);
    COLORREF drawn = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
    return drawn == green;
}

TEST_F(CommandBarTest, ImagesAppendAs16By16WithMagentaTransparent) {
    EXPECT_EQ(Add(IDB_UP), 0);
    EXPECT_EQ(Add(IDB_FOLDER), 1);
    HIMAGELIST images = reinterpret_cast<HIMAGELIST>(SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0));
    ASSERT_NE(images, nullptr);
    EXPECT_EQ(ImageList_GetImageCount(images), 2);
    int width = 0, height = 0;
    ImageList_GetIconSize(images, &width, &height);
    EXPECT_EQ(width, 16);
    EXPECT_EQ(height, 16);
    // The Up picture's corner is background, its middle is the folder.
    EXPECT_TRUE(Transparent(images, 0, 0, 0));
    EXPECT_FALSE(Transparent(images, 0, 8, 8));
}

TEST_F(CommandBarTest, MissingBitmapOrBarGivesMinusOne) {
    EXPECT_EQ(Add(999), -1);
    EXPECT_EQ(CommandBar_AddBitmap(nullptr, GetModuleHandleW(nullptr), IDB_UP, 1, 16, 16), -1);
    EXPECT_EQ(Add(IDB_UP), 0);
}

}  // namespace
