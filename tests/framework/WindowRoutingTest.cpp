#include <gtest/gtest.h>

#include "framework/BaseDlg.h"
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

}  // namespace

TEST(WindowRouting, ObjectsSeeTheirWindowsWholeLifeAndOutliveIt) {
    GuiApp app;
    RecordingWnd parent, child;
    ASSERT_TRUE(
        parent.Create(ourClass, L"p", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr, nullptr));
    ASSERT_TRUE(child.Create(ourClass, L"c", WS_CHILD, 0, 0, 10, 10, &parent, nullptr));
    HWND handle = parent.GetHandle(), childHandle = child.GetHandle();
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
    // That both objects forget their handles shows in the panels of TransferViewTest.
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
