#include <gtest/gtest.h>

#include <windows.h>

#include "dialogs/AboutDlg.h"
#include "resources/resource.h"
#include "support/GuiApp.h"

namespace {

// The routing does not depend on the class: any class of the program serves.
const wchar_t* const ourClass = FrameWnd::kClassName;

class RecordingWnd : public BaseWnd {
  public:
    HWND fieldAtCreate = nullptr;
    bool sawDestroy = false;
    int posted = 0;

    LRESULT OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE) fieldAtCreate = hwnd;
        if (message == WM_DESTROY) sawDestroy = true;
        if (message == WM_USER) ++posted;
        return BaseWnd::OnWindowMessage(handle, message, wParam, lParam);
    }
};

class RecordingDlg : public BaseDlg {
  public:
    explicit RecordingDlg(DWORD flags) { initFlags = flags; }
    BOOL initResult = -1;

    BOOL OnDialogMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override {
        BOOL result = BaseDlg::OnDialogMessage(handle, message, wParam, lParam);
        if (message == WM_INITDIALOG) initResult = result;
        return result;
    }
};

// Presses OK on the worker's About box once it is up, from a timer of that thread.
AboutDlg* aboutToClose = nullptr;

void CALLBACK PressOk(HWND, UINT, UINT_PTR, DWORD) {
    if (aboutToClose->GetHandle()) PostMessageW(aboutToClose->GetHandle(), WM_COMMAND, IDOK, 0);
}

INT_PTR workerResult = 0;

DWORD WINAPI RunAboutOnWorker(void*) {
    AboutDlg about;
    aboutToClose = &about;
    UINT_PTR timer = SetTimer(nullptr, 0, 200, PressOk);
    workerResult = about.RunModal(IDD_ABOUT, nullptr);
    KillTimer(nullptr, timer);
    return 0;
}

}  // namespace

TEST(WindowRouting, ObjectsSeeTheirWindowsWholeLifeAndOutliveIt) {
    GuiApp app;
    RecordingWnd parent, child;
    ASSERT_TRUE(
        parent.Create(ourClass, L"p", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr, nullptr));
    ASSERT_TRUE(child.Create(ourClass, L"c", WS_CHILD, 0, 0, 10, 10, &parent, nullptr));
    HWND handle = parent.GetHandle();
    HWND childHandle = child.GetHandle();
    EXPECT_EQ(handle, parent.fieldAtCreate);
    EXPECT_EQ(&parent, app.LookupWindow(handle));
    // The loop dispatches what is queued until the quit message.
    PostMessageW(handle, WM_USER, 0, 0);
    PostMessageW(handle, WM_USER, 0, 0);
    PostQuitMessage(0);
    app.MessageLoop();
    EXPECT_EQ(2, parent.posted);

    EXPECT_TRUE(parent.DestroyWnd());
    EXPECT_TRUE(parent.sawDestroy && child.sawDestroy);
    EXPECT_EQ(nullptr, app.LookupWindow(handle));
    EXPECT_EQ(nullptr, app.LookupWindow(childHandle));
    // Both objects forget their handles, so a later destroy reaches no other window.
    EXPECT_EQ(nullptr, child.GetHandle());
    EXPECT_FALSE(parent.DestroyWnd());
}

TEST(WindowRouting, DialogInitResultFollowsInitFlagsAndTheMapFollowsItsLife) {
    GuiApp app;
    RecordingDlg plain(0);
    RecordingDlg shell(SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN);
    ASSERT_TRUE(plain.CreateModeless(IDD_ABOUT, nullptr));
    ASSERT_TRUE(shell.CreateModeless(IDD_ABOUT, nullptr));
    EXPECT_EQ(FALSE, plain.initResult);  // the platform then sets the default focus
    EXPECT_EQ(TRUE, shell.initResult);
    HWND handle = plain.GetHandle();
    EXPECT_EQ(&plain, app.LookupDialog(handle));
    EXPECT_TRUE(plain.DestroyDlg());
    EXPECT_EQ(nullptr, app.LookupDialog(handle));
    EXPECT_EQ(nullptr, plain.GetHandle());
    EXPECT_TRUE(shell.DestroyDlg());
    EXPECT_FALSE(shell.CreateModeless(9999, nullptr));
    EXPECT_EQ(-1, shell.RunModal(9999, nullptr));
}

// A transfer prompt runs on its worker thread while the interface thread
// makes and destroys windows: both change the maps at once. The About box
// stands in for the prompt and ends with 1 on OK.
TEST(WindowRouting, WorkerThreadDialogRoutesWhileWindowsComeAndGo) {
    GuiApp app;
    HANDLE thread = CreateThread(nullptr, 0, RunAboutOnWorker, nullptr, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    // Bounded by count: the worker's dialog ends on its own timer.
    for (int round = 0; round < 2000 && WaitForSingleObject(thread, 0) == WAIT_TIMEOUT; ++round) {
        BaseWnd window;
        EXPECT_TRUE(window.Create(ourClass, L"", 0, 0, 0, 1, 1, nullptr, nullptr));
        EXPECT_EQ(&window, app.LookupWindow(window.GetHandle()));
        EXPECT_TRUE(window.DestroyWnd());
    }
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(thread, 30000));
    CloseHandle(thread);
    EXPECT_EQ(1, workerResult);
}
