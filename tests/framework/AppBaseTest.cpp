#include <gtest/gtest.h>

#include <windows.h>

#include "dialogs/AboutDlg.h"
#include "framework/BaseWnd.h"
#include "framework/CWinApp.h"
#include "resources/resource.h"

namespace {

const wchar_t busyClassName[] = L"CorvaneBusyTestWnd";

// Runs an About box on its own thread, the way the transfer prompts run, and
// presses OK on it from a timer of that thread.
struct WorkerDialog {
    AboutDlg dialog;
    INT_PTR result = 0;
};

WorkerDialog* workerDialog = nullptr;

void CALLBACK PressOkOnWorker(HWND, UINT, UINT_PTR, DWORD) {
    HWND handle = workerDialog->dialog.GetHandle();
    if (handle) PostMessageW(handle, WM_COMMAND, IDOK, 0);
}

DWORD WINAPI RunDialogOnWorker(void*) {
    UINT_PTR timer = SetTimer(nullptr, 0, 200, PressOkOnWorker);
    workerDialog->result = workerDialog->dialog.RunModal(IDD_ABOUT, nullptr);
    KillTimer(nullptr, timer);
    return 0;
}

}  // namespace

TEST(CWinApp, ConstructionRecordsTheApplicationAndDestructionClearsIt) {
    EXPECT_EQ(nullptr, GetWinApp());
    {
        CWinApp app;
        EXPECT_EQ(&app, GetWinApp());
        EXPECT_FALSE(app.Startup());
        EXPECT_EQ(0, app.Shutdown());
    }
    EXPECT_EQ(nullptr, GetWinApp());
}

TEST(CWinApp, CommandIdsRunFrom50000AndStopAtTheTopOfTheRange) {
    CWinApp app;
    EXPECT_EQ(50000, app.NextCommandId());
    EXPECT_EQ(50001, app.NextCommandId());
    WORD last = 0;
    for (int id = 50002; id <= 65535; ++id) last = app.NextCommandId();
    EXPECT_EQ(65535, last);
    // Wrapping would hand out the ids of the program's own commands.
    EXPECT_EQ(0, app.NextCommandId());
    EXPECT_EQ(0, app.NextCommandId());
    EXPECT_FALSE(CWinApp::IsDynamicCommandId(0));
    EXPECT_FALSE(CWinApp::IsDynamicCommandId(IDM_ABOUT));
    EXPECT_FALSE(CWinApp::IsDynamicCommandId(49999));
    EXPECT_TRUE(CWinApp::IsDynamicCommandId(50000));
    EXPECT_TRUE(CWinApp::IsDynamicCommandId(65535));
}

TEST(CWinApp, ResourceLoadersFindTheProgramsResources) {
    CWinApp app;
    app.SetInstance(GetModuleHandleW(nullptr));
    HMENU menu = app.LoadMenuResource(IDR_MENUBAR);
    ASSERT_NE(nullptr, menu);
    EXPECT_EQ(4, GetMenuItemCount(menu));
    DestroyMenu(menu);
    HBITMAP bitmap = app.LoadBitmapResource(IDB_FOLDER);
    EXPECT_NE(nullptr, bitmap);
    DeleteObject(bitmap);
    EXPECT_NE(nullptr, app.LoadIconResource(IDI_CORVANE));
}

TEST(CWinApp, WaitCursorIsShownAndThePreviousCursorRestored) {
    CWinApp app;
    app.SetInstance(GetModuleHandleW(nullptr));
    HCURSOR arrow = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    SetCursor(arrow);
    app.ShowWaitCursor();
    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(32514)), GetCursor());
    app.HideWaitCursor();
    EXPECT_EQ(arrow, GetCursor());
}

TEST(CWinApp, WorkerThreadDialogRoutesWhileWindowsComeAndGo) {
    CWinApp app;
    app.SetInstance(GetModuleHandleW(nullptr));
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = SharedWindowProc;
    windowClass.hInstance = app.GetInstance();
    windowClass.lpszClassName = busyClassName;
    ASSERT_NE(0, RegisterClassW(&windowClass));

    WorkerDialog worker;
    workerDialog = &worker;
    HANDLE thread = CreateThread(nullptr, 0, RunDialogOnWorker, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    // Bounded by count, not time: the worker's dialog ends on its own timer.
    for (int round = 0; round < 2000 && WaitForSingleObject(thread, 0) == WAIT_TIMEOUT; ++round) {
        BaseWnd window;
        ASSERT_TRUE(window.Create(busyClassName, L"", 0, 0, 0, 1, 1, nullptr, nullptr));
        EXPECT_EQ(&window, app.LookupWindow(window.GetHandle()));
        EXPECT_TRUE(window.DestroyWnd());
    }
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 30000));
    CloseHandle(thread);
    workerDialog = nullptr;
    EXPECT_EQ(1, worker.result);
    UnregisterClassW(busyClassName, app.GetInstance());
}
