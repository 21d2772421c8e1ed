#include <gtest/gtest.h>

#include <windows.h>

#include "dialogs/AboutDlg.h"
#include "framework/BaseDlg.h"
#include "framework/BaseWnd.h"
#include "framework/CWinApp.h"
#include "resources/resource.h"

namespace {

const wchar_t testClassName[] = L"CorvaneRoutingTestWnd";

// Records what reached its handler.
class RecordingWnd : public BaseWnd {
  public:
    HWND handleAtCreate = nullptr;
    HWND fieldAtCreate = nullptr;
    bool sawDestroy = false;
    int sawUser = 0;

    LRESULT OnWindowMessage(HWND handle, UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_CREATE) {
            handleAtCreate = handle;
            fieldAtCreate = hwnd;
        } else if (message == WM_DESTROY) {
            sawDestroy = true;
        } else if (message == WM_USER) {
            sawUser += static_cast<int>(wParam);
        }
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

// Ends whatever modal About box the timer finds, as a tap on OK would.
AboutDlg* aboutToClose = nullptr;

void CALLBACK PressOk(HWND, UINT, UINT_PTR timer, DWORD) {
    if (!aboutToClose || !aboutToClose->GetHandle()) return;
    KillTimer(nullptr, timer);
    PostMessageW(aboutToClose->GetHandle(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

class WindowRouting : public ::testing::Test {
  protected:
    void SetUp() override {
        app.SetInstance(GetModuleHandleW(nullptr));
        WNDCLASSW windowClass = {};
        windowClass.style = CS_HREDRAW | CS_VREDRAW;
        windowClass.lpfnWndProc = SharedWindowProc;
        windowClass.hInstance = app.GetInstance();
        windowClass.lpszClassName = testClassName;
        RegisterClassW(&windowClass);
    }
    void TearDown() override { UnregisterClassW(testClassName, app.GetInstance()); }

    bool CreateTestWindow(BaseWnd& window) {
        return window.Create(testClassName, L"test", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                             nullptr);
    }

    CWinApp app;
};

}  // namespace

TEST_F(WindowRouting, ObjectSeesCreateWithHandleSetAndOutlivesItsWindow) {
    RecordingWnd window;
    ASSERT_TRUE(CreateTestWindow(window));
    HWND handle = window.GetHandle();
    EXPECT_EQ(handle, window.handleAtCreate);
    EXPECT_EQ(handle, window.fieldAtCreate);
    EXPECT_EQ(&window, app.LookupWindow(handle));

    window.Send(WM_USER, 2, 0);
    BaseWnd::SendTo(handle, WM_USER, 3, 0);
    EXPECT_EQ(5, window.sawUser);

    EXPECT_TRUE(window.DestroyWnd());
    EXPECT_TRUE(window.sawDestroy);
    EXPECT_EQ(nullptr, app.LookupWindow(handle));
    EXPECT_EQ(nullptr, window.GetHandle());
    EXPECT_FALSE(window.DestroyWnd());  // a second destroy reaches no other window
}

TEST_F(WindowRouting, ChildDestroyedWithItsParentLeavesTheMap) {
    RecordingWnd parent, child;
    ASSERT_TRUE(CreateTestWindow(parent));
    ASSERT_TRUE(child.Create(testClassName, L"child", WS_CHILD, 0, 0, 10, 10, &parent,
                             reinterpret_cast<HMENU>(7)));
    HWND childHandle = child.GetHandle();
    EXPECT_EQ(parent.GetHandle(), GetParent(childHandle));
    EXPECT_EQ(childHandle, GetDlgItem(parent.GetHandle(), 7));
    EXPECT_TRUE(parent.DestroyWnd());
    EXPECT_TRUE(child.sawDestroy);
    EXPECT_EQ(nullptr, app.LookupWindow(childHandle));
}

TEST_F(WindowRouting, FailedCreationLeavesNoHandle) {
    RecordingWnd window;
    EXPECT_FALSE(window.Create(L"NoSuchClassAnywhere", L"x", 0, 0, 0, 1, 1, nullptr, nullptr));
    EXPECT_EQ(nullptr, window.GetHandle());
}

TEST_F(WindowRouting, DialogInitResultFollowsInitFlagsAndMapFollowsLifetime) {
    RecordingDlg plain(0);
    ASSERT_TRUE(plain.CreateModeless(IDD_ABOUT, nullptr));
    EXPECT_EQ(FALSE, plain.initResult);
    HWND handle = plain.GetHandle();
    EXPECT_EQ(&plain, app.LookupDialog(handle));
    EXPECT_NE(nullptr, plain.GetItem(IDOK));
    EXPECT_TRUE(plain.DestroyDlg());
    EXPECT_EQ(nullptr, app.LookupDialog(handle));
    EXPECT_EQ(nullptr, plain.GetHandle());

    RecordingDlg shell(SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN);
    ASSERT_TRUE(shell.CreateModeless(IDD_ABOUT, nullptr));
    EXPECT_EQ(TRUE, shell.initResult);
    EXPECT_TRUE(shell.DestroyDlg());
}

TEST_F(WindowRouting, MissingDialogResourceFailsCreation) {
    RecordingDlg dialog(0);
    EXPECT_FALSE(dialog.CreateModeless(9999, nullptr));
    EXPECT_EQ(-1, dialog.RunModal(9999, nullptr));
    EXPECT_EQ(-1, dialog.initResult);
}

TEST_F(WindowRouting, AboutBoxEndsWithOneOnOk) {
    AboutDlg about;
    aboutToClose = &about;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, PressOk);
    ASSERT_NE(0u, timer);
    EXPECT_EQ(1, about.RunModal(IDD_ABOUT, nullptr));
    KillTimer(nullptr, timer);
    aboutToClose = nullptr;
    EXPECT_EQ(nullptr, about.GetHandle());
}
