#include <gtest/gtest.h>

#include <windows.h>

#include "framework/BaseDlg.h"
#include "framework/CWinApp.h"

namespace {

// Adds, finds and removes pairs of handles of its own, as a transfer prompt on
// its worker thread does while the interface thread's dialogs do the same;
// counts the look-ups that missed.
DWORD WINAPI ChurnDialogMap(void* misses) {
    BaseDlg dialog;
    UINT_PTR base = reinterpret_cast<UINT_PTR>(&dialog);
    for (UINT_PTR round = 0; round < 20000; ++round) {
        HWND handle = reinterpret_cast<HWND>(base + round % 8);
        GetWinApp()->AddDialog(handle, &dialog);
        if (GetWinApp()->LookupDialog(handle) != &dialog) ++*static_cast<int*>(misses);
        GetWinApp()->RemoveDialog(handle);
    }
    return 0;
}

}  // namespace

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

TEST(CWinApp, TwoThreadsShareTheDialogMap) {
    CWinApp app;
    static int workerMisses = 0, ownMisses = 0;  // outlive a worker that never ends
    HANDLE thread = CreateThread(nullptr, 0, ChurnDialogMap, &workerMisses, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    ChurnDialogMap(&ownMisses);
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 60000));
    CloseHandle(thread);
    EXPECT_EQ(0, workerMisses + ownMisses);
}
