#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "dialogs/AboutDlg.h"
#include "framework/BaseWnd.h"
#include "framework/CWinApp.h"
#include "framework/ListViewCtl.h"
#include "resources/resource.h"

namespace {

const wchar_t testClassName[] = L"CorvaneRoutingTestWnd";

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

// Taps OK, or the shell's Done box (which closes the window), on the About box
// once it is up, from the modal loop's own thread.
AboutDlg* aboutToClose = nullptr;
UINT closingMessage = 0;

void CALLBACK CloseAbout(HWND, UINT, UINT_PTR, DWORD) {
    if (!aboutToClose || !aboutToClose->GetHandle()) return;
    WPARAM wParam = closingMessage == WM_COMMAND ? MAKEWPARAM(IDOK, BN_CLICKED) : 0;
    PostMessageW(aboutToClose->GetHandle(), closingMessage, wParam, 0);
}

class WindowRouting : public ::testing::Test {
  protected:
    void SetUp() override {
        InitCommonControls();
        app.SetInstance(GetModuleHandleW(nullptr));
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = SharedWindowProc;
        windowClass.hInstance = app.GetInstance();
        windowClass.lpszClassName = testClassName;
        RegisterClassW(&windowClass);
        ASSERT_TRUE(parent.Create(testClassName, L"p", WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, nullptr,
                                  nullptr));
    }
    void TearDown() override {
        parent.DestroyWnd();
        UnregisterClassW(testClassName, app.GetInstance());
    }

    CWinApp app;
    RecordingWnd parent;
};

}  // namespace

TEST_F(WindowRouting, ObjectSeesCreateWithHandleSetAndOutlivesItsWindow) {
    RecordingWnd child;
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

TEST_F(WindowRouting, MessageLoopDispatchesUntilQuit) {
    PostMessageW(parent.GetHandle(), WM_USER, 0, 0);
    PostMessageW(parent.GetHandle(), WM_USER, 0, 0);
    PostQuitMessage(0);
    app.MessageLoop();
    EXPECT_EQ(2, parent.posted);
}

TEST_F(WindowRouting, DialogInitResultFollowsInitFlagsAndTheMapFollowsItsLife) {
    RecordingDlg plain(0);
    ASSERT_TRUE(plain.CreateModeless(IDD_ABOUT, &parent));
    EXPECT_EQ(FALSE, plain.initResult);
    HWND handle = plain.GetHandle();
    EXPECT_EQ(&plain, app.LookupDialog(handle));
    EXPECT_TRUE(plain.DestroyDlg());
    EXPECT_EQ(nullptr, app.LookupDialog(handle));

    RecordingDlg shell(SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN);
    ASSERT_TRUE(shell.CreateModeless(IDD_ABOUT, nullptr));
    EXPECT_EQ(TRUE, shell.initResult);
    EXPECT_TRUE(shell.DestroyDlg());
    EXPECT_FALSE(shell.CreateModeless(9999, nullptr));
    EXPECT_EQ(-1, shell.RunModal(9999, nullptr));

    for (UINT message : {WM_COMMAND, WM_CLOSE}) {
        AboutDlg about;
        aboutToClose = &about;
        closingMessage = message;
        UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseAbout);
        EXPECT_EQ(1, about.RunModal(IDD_ABOUT, &parent)) << message;
        KillTimer(nullptr, timer);
        aboutToClose = nullptr;
    }
}

TEST_F(WindowRouting, ListViewColumnsItemDataAndFlags) {
    ListViewCtl list;
    ASSERT_TRUE(list.Create(WS_CHILD | LVS_REPORT, 0, 0, 300, 200, &parent, 5));
    EXPECT_EQ(0, list.InsertColumn(0, L"Name", LVCFMT_LEFT, 120, 0));
    // -1 must not reach the control as a width of its own.
    EXPECT_EQ(1, list.InsertColumn(1, L"Size", LVCFMT_RIGHT, -1, 1));
    EXPECT_EQ(2, list.InsertColumn(2, L"Type", LVCFMT_LEFT, 0, 2));
    EXPECT_EQ(120, list.Send(LVM_GETCOLUMNWIDTH, 0, 0));
    EXPECT_EQ(list.Send(LVM_GETCOLUMNWIDTH, 2, 0), list.Send(LVM_GETCOLUMNWIDTH, 1, 0));

    for (int row = 0; row < 4; ++row) EXPECT_EQ(row, list.InsertItem(row, L"row", 1));
    const LPARAM wide = static_cast<LPARAM>(0x123456789ABCLL);  // a pointer, whole
    EXPECT_TRUE(list.SetItemData(1, wide));
    EXPECT_EQ(wide, list.GetItemData(1));

    EXPECT_TRUE(list.SetItemState(2, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(2, list.GetNextItem(-1, LVNI_SELECTED | 0xABCD0000));
    EXPECT_EQ(-1, list.GetNextItem(2, LVNI_SELECTED | 0xABCD0000));
    EXPECT_TRUE(list.SetItemState(-1, 0, LVIS_SELECTED));  // -1: every row
    EXPECT_EQ(0u, list.GetSelectedCount());
}
