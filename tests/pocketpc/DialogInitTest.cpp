#include <gtest/gtest.h>

#include "aygshell.h"
#include "pocketpc/TestFrame.h"

#include <vector>

namespace {

const int kEditId = 50;
const int kOtherDefaultId = 100;

// What a test dialog does once shown, and what it saw.
struct DialogScript {
    DWORD flags = 0;
    std::vector<UINT> keys;  // posted to the focused edit box
    bool pressCloseBox = false;
    RECT rect = {};
    LONG_PTR style = 0;
};

// A caption without a close box, an edit box with the focus and a default
// button that is not OK, so Enter only gives IDOK if the shell makes it so.
struct DialogTemplate {
    DLGTEMPLATE header;
    WORD menu, windowClass, title;
};

void AddControls(HWND dialog) {
    HINSTANCE module = GetModuleHandleW(nullptr);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 5, 5, 100, 20,
                                dialog, reinterpret_cast<HMENU>(kEditId), module, nullptr);
    CreateWindowExW(0, L"BUTTON", L"Other", WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON, 5, 30, 60, 20,
                    dialog, reinterpret_cast<HMENU>(kOtherDefaultId), module, nullptr);
    SendMessageW(dialog, DM_SETDEFID, kOtherDefaultId, 0);
    SetFocus(edit);
}

INT_PTR CALLBACK ScriptedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            auto* script = reinterpret_cast<DialogScript*>(lParam);
            AddControls(dialog);
            SHINITDLGINFO info = {SHIDIM_FLAGS, dialog, script->flags};
            SHInitDialog(&info);
            GetWindowRect(dialog, &script->rect);
            script->style = GetWindowLongPtrW(dialog, GWL_STYLE);
            for (UINT key : script->keys) PostMessageW(GetFocus(), WM_KEYDOWN, key, 0);
            if (script->pressCloseBox) PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) == kEditId) break;
            EndDialog(dialog, LOWORD(wParam));
            return TRUE;
    }
    return FALSE;
}

INT_PTR RunDialog(HWND owner, DialogScript* script) {
    DialogTemplate dialogTemplate = {};
    dialogTemplate.header.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
    dialogTemplate.header.cx = 120;
    dialogTemplate.header.cy = 80;
    return DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &dialogTemplate.header, owner,
                                   ScriptedDialogProc, reinterpret_cast<LPARAM>(script));
}

const DWORD kProgramFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

TEST(DialogInitTest, FullScreenCoversTheFrameAndTheCloseBoxAccepts) {
    TestFrame frame(30, 20, 240, 280);
    DialogScript script;
    script.flags = kProgramFlags;
    script.pressCloseBox = true;
    EXPECT_EQ(RunDialog(frame.Handle(), &script), IDOK);

    RECT frameRect;
    GetWindowRect(frame.Handle(), &frameRect);
    EXPECT_TRUE(SameRect(script.rect, frameRect));
    EXPECT_TRUE(script.style & WS_SYSMENU);
}

TEST(DialogInitTest, EnterAcceptsAndEscapeCancels) {
    TestFrame frame(30, 20, 240, 280);
    DialogScript enter;
    enter.flags = kProgramFlags;
    enter.keys = {VK_RETURN};
    EXPECT_EQ(RunDialog(frame.Handle(), &enter), IDOK);

    DialogScript escape;
    escape.flags = kProgramFlags;
    escape.keys = {VK_ESCAPE};
    EXPECT_EQ(RunDialog(frame.Handle(), &escape), IDCANCEL);
}

TEST(DialogInitTest, WithoutOwnerCoversTheWorkAreaAboveTheMenuBar) {
    DialogScript script;
    script.flags = SHIDIF_SIZEDLGFULLSCREEN;
    script.pressCloseBox = true;
    // Without the Done button the close box keeps cancelling.
    EXPECT_EQ(RunDialog(nullptr, &script), IDCANCEL);

    RECT expected;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &expected, 0);
    expected.bottom -= 26;
    EXPECT_TRUE(SameRect(script.rect, expected));
}

TEST(DialogInitTest, NoFlagsLeaveTheDialogAlone) {
    DialogScript script;
    script.keys = {VK_RETURN};
    EXPECT_EQ(RunDialog(nullptr, &script), kOtherDefaultId);
    EXPECT_FALSE(script.style & WS_SYSMENU);
    EXPECT_FALSE(SHInitDialog(nullptr));
}

}  // namespace
