#include <gtest/gtest.h>

#include "aygshell.h"
#include "pocketpc/MenuBarDefinition.h"
#include "resources/resource.h"

namespace {

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

}  // namespace
