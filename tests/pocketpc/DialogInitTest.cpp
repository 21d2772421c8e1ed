#include <gtest/gtest.h>

#include "pocketpc/TestFrame.h"

namespace {

const int kEditId = 50;
const int kOtherDefaultId = 100;
const DWORD kProgramFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;

// What a test dialog does once shown, and what it saw.
struct DialogScript {
    DWORD flags;
    UINT message;  // posted to the focused edit box, or to the dialog for SC_CLOSE
    WPARAM wParam;
    RECT rect = {};
    LONG_PTR style = 0;
};

// An edit box with the focus and a default button that is not OK, so Enter
// gives IDOK only if the shell makes it so.
INT_PTR CALLBACK ScriptedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) != kEditId) EndDialog(dialog, LOWORD(wParam));
    if (message != WM_INITDIALOG) return message == WM_COMMAND;
    auto* script = reinterpret_cast<DialogScript*>(lParam);
    HWND edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE, 5, 5, 100, 20, dialog,
                                reinterpret_cast<HMENU>(kEditId), nullptr, nullptr);
    CreateWindowExW(0, L"BUTTON", L"Other", WS_CHILD | BS_DEFPUSHBUTTON, 5, 30, 60, 20, dialog,
                    reinterpret_cast<HMENU>(kOtherDefaultId), nullptr, nullptr);
    SendMessageW(dialog, DM_SETDEFID, kOtherDefaultId, 0);
    SetFocus(edit);
    SHINITDLGINFO info = {SHIDIM_FLAGS, dialog, script->flags};
    SHInitDialog(&info);
    GetWindowRect(dialog, &script->rect);
    script->style = GetWindowLongPtrW(dialog, GWL_STYLE);
    PostMessageW(script->message == WM_SYSCOMMAND ? dialog : edit, script->message, script->wParam,
                 0);
    return FALSE;
}

// Runs a captioned dialog without a close box and returns how it ended.
INT_PTR RunDialog(HWND owner, DialogScript* script) {
    struct {
        DLGTEMPLATE header;
        WORD menu, windowClass, title;
    } dialogTemplate = {{WS_POPUP | WS_CAPTION | DS_MODALFRAME, 0, 0, 0, 0, 120, 80}, 0, 0, 0};
    return DialogBoxIndirectParamW(nullptr, &dialogTemplate.header, owner, ScriptedDialogProc,
                                   reinterpret_cast<LPARAM>(script));
}

bool operator==(const RECT& a, const RECT& b) { return EqualRect(&a, &b); }

TEST(DialogInitTest, DoneDialogCoversTheFrameAndCloseBoxOrEnterAcceptWhileEscapeCancels) {
    TestFrame frame(30, 20, 240, 280);
    RECT frameRect;
    GetWindowRect(frame.hwnd, &frameRect);
    DialogScript closeBox = {kProgramFlags, WM_SYSCOMMAND, SC_CLOSE};
    EXPECT_EQ(RunDialog(frame.hwnd, &closeBox), IDOK);
    EXPECT_TRUE(closeBox.rect == frameRect);
    EXPECT_TRUE(closeBox.style & WS_SYSMENU);

    DialogScript enter = {kProgramFlags, WM_KEYDOWN, VK_RETURN};
    EXPECT_EQ(RunDialog(frame.hwnd, &enter), IDOK);
    DialogScript escape = {kProgramFlags, WM_KEYDOWN, VK_ESCAPE};
    EXPECT_EQ(RunDialog(frame.hwnd, &escape), IDCANCEL);
}

TEST(DialogInitTest, WithoutOwnerTheWorkAreaAboveTheBarAndWithoutDoneNothingChanges) {
    RECT expected;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &expected, 0);
    expected.bottom -= 26;
    DialogScript closeBox = {SHIDIF_SIZEDLGFULLSCREEN, WM_SYSCOMMAND, SC_CLOSE};
    EXPECT_EQ(RunDialog(nullptr, &closeBox), IDCANCEL);
    EXPECT_TRUE(closeBox.rect == expected);

    DialogScript enter = {0, WM_KEYDOWN, VK_RETURN};
    EXPECT_EQ(RunDialog(nullptr, &enter), kOtherDefaultId);
    EXPECT_FALSE(enter.style & WS_SYSMENU);
}

}  // namespace
