#include <gtest/gtest.h>

#include <windows.h>

#include "dialogs/AboutDlg.h"
#include "framework/BaseWnd.h"
#include "framework/CWinApp.h"
#include "resources/resource.h"

namespace {

const wchar_t testClassName[] = L"CorvaneRoutingTestWnd";

class RecordingWnd : public BaseWnd {
  public:
    HWND fieldAtCreate = nullptr;
    bool sawDestroy = false;

    LRESULT OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE) fieldAtCreate = hwnd;
        if (message == WM_DESTROY) sawDestroy = true;
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

// Presses OK on the About box once it is up, from the modal loop's own thread.
AboutDlg* aboutToClose = nullptr;

void CALLBACK PressOk(HWND, UINT, UINT_PTR, DWORD) {
    if (aboutToClose && aboutToClose->GetHandle())
        PostMessageW(aboutToClose->GetHandle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

class WindowRouting : public ::testing::Test {
  protected:
    void SetUp() override {
        app.SetInstance(GetModuleHandleW(nullptr));
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = SharedWindowProc;
        windowClass.hInstance = app.GetInstance();
        windowClass.lpszClassName = testClassName;
        RegisterClassW(&windowClass);
    }
    void TearDown() override { UnregisterClassW(testClassName, app.GetInstance()); }

    CWinApp app;
};

}  // namespace

TEST_F(WindowRouting, ObjectSeesCreateWithHandleSetAndOutlivesItsWindow) {
    RecordingWnd parent, child;
    ASSERT_TRUE(
        parent.Create(testClassName, L"p", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr));
    ASSERT_TRUE(child.Create(testClassName, L"c", WS_CHILD, 0, 0, 10, 10, &parent,
                             reinterpret_cast<HMENU>(7)));
    HWND handle = parent.GetHandle();
    HWND childHandle = child.GetHandle();
    EXPECT_EQ(handle, parent.fieldAtCreate);
    EXPECT_EQ(&parent, app.LookupWindow(handle));
    EXPECT_EQ(childHandle, GetDlgItem(handle, 7));

    EXPECT_TRUE(parent.DestroyWnd());
    EXPECT_TRUE(parent.sawDestroy && child.sawDestroy);
    EXPECT_EQ(nullptr, app.LookupWindow(handle));
    EXPECT_EQ(nullptr, app.LookupWindow(childHandle));
    // Both objects forget their handles, so a later destroy reaches no other window.
    EXPECT_EQ(nullptr, child.GetHandle());
    EXPECT_FALSE(parent.DestroyWnd());
}

TEST_F(WindowRouting, DialogInitResultFollowsInitFlagsAndTheMapFollowsItsLife) {
    RecordingDlg plain(0);
    ASSERT_TRUE(plain.CreateModeless(IDD_ABOUT, nullptr));
    EXPECT_EQ(FALSE, plain.initResult);
    HWND handle = plain.GetHandle();
    EXPECT_EQ(&plain, app.LookupDialog(handle));
    EXPECT_TRUE(plain.DestroyDlg());
    EXPECT_EQ(nullptr, app.LookupDialog(handle));

    RecordingDlg shell(SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN);
    ASSERT_TRUE(shell.CreateModeless(IDD_ABOUT, nullptr));
    EXPECT_EQ(TRUE, shell.initResult);
    EXPECT_TRUE(shell.DestroyDlg());

    RecordingDlg missing(0);
    EXPECT_FALSE(missing.CreateModeless(9999, nullptr));
    EXPECT_EQ(-1, missing.RunModal(9999, nullptr));
}

TEST_F(WindowRouting, AboutBoxEndsWithOneOnOk) {
    AboutDlg about;
    aboutToClose = &about;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, PressOk);
    EXPECT_EQ(1, about.RunModal(IDD_ABOUT, nullptr));
    KillTimer(nullptr, timer);
    aboutToClose = nullptr;
}
