#include <gtest/gtest.h>

#include <windows.h>

#include "framework/CWinApp.h"

TEST(CWinApp, CommandIdsRunFrom50000AndStopAtTheTopOfTheRange) {
    CWinApp app;
    EXPECT_EQ(50000, app.NextCommandId());
    WORD last = 0;
    for (int id = 50001; id <= 65535; ++id) last = app.NextCommandId();
    EXPECT_EQ(65535, last);
    // Wrapping would hand out the ids of the program's own commands.
    EXPECT_EQ(0, app.NextCommandId());
    EXPECT_FALSE(CWinApp::IsDynamicCommandId(49999));
    EXPECT_TRUE(CWinApp::IsDynamicCommandId(50000));
}

TEST(CWinApp, NestedWaitCursorsRestoreTheCursorFromBefore) {
    CWinApp app;
    app.SetInstance(GetModuleHandleW(nullptr));
    HCURSOR arrow = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    SetCursor(arrow);
    HCURSOR wait = LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));
    app.ShowWaitCursor();
    EXPECT_EQ(wait, GetCursor());
    app.ShowWaitCursor();
    app.HideWaitCursor();
    EXPECT_EQ(wait, GetCursor());
    app.HideWaitCursor();
    EXPECT_EQ(arrow, GetCursor());
}
