#include <gtest/gtest.h>

#include <windows.h>

#include "dialogs/AboutDlg.h"
#include "framework/BaseWnd.h"
#include "framework/CWinApp.h"
#include "resources/resource.h"

namespace {

// An About box run on its own thread, as the transfer prompts are, and closed
// by a timer of that thread.
AboutDlg* workerDialog = nullptr;
INT_PTR workerResult = 0;

void CALLBACK PressOkOnWorker(HWND, UINT, UINT_PTR, DWORD) {
    if (workerDialog->GetHandle()) PostMessageW(workerDialog->GetHandle(), WM_COMMAND, IDOK, 0);
}

DWORD WINAPI RunDialogOnWorker(void*) {
    UINT_PTR timer = SetTimer(nullptr, 0, 200, PressOkOnWorker);
    workerResult = workerDialog->RunModal(IDD_ABOUT, nullptr);
    KillTimer(nullptr, timer);
    return 0;
}

}  // namespace

TEST(CWinApp, CommandIdsRunFrom50000AndStopAtTheTopOfTheRange) {
    CWinApp app;
    EXPECT_EQ(&app, GetWinApp());
    EXPECT_EQ(50000, app.NextCommandId());
    WORD last = 0;
    for (int id = 50001; id <= 65535; ++id) last = app.NextCommandId();
    EXPECT_EQ(65535, last);
    // Wrapping would hand out the ids of the program's own commands.
    EXPECT_EQ(0, app.NextCommandId());
    EXPECT_FALSE(CWinApp::IsDynamicCommandId(0));
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

TEST(CWinApp, WorkerThreadDialogRoutesWhileWindowsComeAndGo) {
    const wchar_t className[] = L"CorvaneBusyTestWnd";
    CWinApp app;
    app.SetInstance(GetModuleHandleW(nullptr));
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = SharedWindowProc;
    windowClass.hInstance = app.GetInstance();
    windowClass.lpszClassName = className;
    ASSERT_NE(0, RegisterClassW(&windowClass));

    AboutDlg dialog;
    workerDialog = &dialog;
    HANDLE thread = CreateThread(nullptr, 0, RunDialogOnWorker, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    // Bounded by count: the worker's dialog ends on its own timer.
    for (int round = 0; round < 2000 && WaitForSingleObject(thread, 0) == WAIT_TIMEOUT; ++round) {
        BaseWnd window;
        ASSERT_TRUE(window.Create(className, L"", 0, 0, 0, 1, 1, nullptr, nullptr));
        EXPECT_EQ(&window, app.LookupWindow(window.GetHandle()));
        EXPECT_TRUE(window.DestroyWnd());
    }
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 30000));
    CloseHandle(thread);
    EXPECT_EQ(1, workerResult);
    UnregisterClassW(className, app.GetInstance());
}
