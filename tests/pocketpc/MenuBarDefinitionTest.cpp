#include <gtest/gtest.h>

#include "pocketpc/MenuBarDefinition.h"
#include "resources/resource.h"

#include <commctrl.h>

namespace {

TEST(MenuBarDefinitionTest, ButtonsReadWithLabelsAndNoneMarkers) {
    const WORD words[] = {IDR_MENUBAR, 2, 0xFFFE, IDM_FILE, TBSTATE_ENABLED, 24,
                          IDS_FILE,    0, 0,      3,        IDM_UP,          0,
                          0,           0, 0,      0xFFFF};
    MenuBarDefinition definition;
    ASSERT_TRUE(ParseMenuBarDefinition(words, 16, GetModuleHandleW(nullptr), &definition));
    ASSERT_EQ(definition.buttons.size(), 2u);
    EXPECT_EQ(definition.buttons[0].image, I_IMAGENONE);
    EXPECT_EQ(definition.buttons[0].label, L"File");
    EXPECT_EQ(definition.buttons[0].popupIndex, 0);
    EXPECT_EQ(definition.buttons[1].image, 3);
    EXPECT_EQ(definition.buttons[1].label, L"");
    EXPECT_EQ(definition.buttons[1].popupIndex, -1);
}

TEST(MenuBarDefinitionTest, DefinitionShorterThanItsCountIsRefused) {
    const WORD words[] = {IDR_MENUBAR, 0xFFFF, 0xFFFE, IDM_FILE, 4, 24, IDS_FILE, 0, 0};
    MenuBarDefinition definition;
    EXPECT_FALSE(ParseMenuBarDefinition(words, 9, nullptr, &definition));
    EXPECT_FALSE(ParseMenuBarDefinition(words, 1, nullptr, &definition));
}

}  // namespace
