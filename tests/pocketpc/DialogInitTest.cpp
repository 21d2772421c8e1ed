#include <gtest/gtest.h>

#include "aygshell.h"

namespace {

const int kOtherDefaultId = 100;
const DWORD kProgramFlags = SHIDIF_DONEBUTTON | SHIDIF_SIZEDLGFULLSCREEN | SHIDIF_SIPDOWN;

// What a test dialog is sent once shown, and what it looked like then.
struct DialogScript {
    DWORD flags;
    UINT message;
    WPARAM wParam;
    RECT rect = {};
    LONG_PTR style = 0;
};

INT_PTR CALLBACK ScriptedDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND) EndDialog(dialog, LOWORD(wParam));
    if (message != WM_INITDIALOG) return message == WM_COMMAND;
    auto* script = reinterpret_cast<DialogScript*>(lParam);
    // A default other than OK, so Enter gives IDOK only if the shell makes it so.
    SendMessageW(dialog, DM_SETDEFID, kOtherDefaultId, 0);
    SHINITDLGINFO info = {SHIDIM_FLAGS, dialog, script->flags};
    SHInitDialog(&info);
    GetWindowRect(dialog, &script->rect);
    script->style = GetWindowLongPtrW(dialog, GWL_STYLE);
    PostMessageW(dialog, script->message, script->wParam, 0);
    return TRUE;
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

TEST(DialogInitTest, DoneDialogCoversTheFrameAndCloseBoxOrEnterAcceptWhileEscapeCancels) {
    HWND frame = CreateWindowExW(0, L"STATIC", nullptr, WS_POPUP | WS_VISIBLE, 30, 20, 240, 280,
                                 nullptr, nullptr, nullptr, nullptr);
    RECT frameRect;
    GetWindowRect(frame, &frameRect);
    DialogScript closeBox = {kProgramFlags, WM_SYSCOMMAND, SC_CLOSE};
    EXPECT_EQ(RunDialog(frame, &closeBox), IDOK);
    EXPECT_TRUE(EqualRect(&closeBox.rect, &frameRect));
    EXPECT_TRUE(closeBox.style & WS_SYSMENU);

    DialogScript enter = {kProgramFlags, WM_KEYDOWN, VK_RETURN};
    EXPECT_EQ(RunDialog(frame, &enter), IDOK);
    DialogScript escape = {kProgramFlags, WM_KEYDOWN, VK_ESCAPE};
    EXPECT_EQ(RunDialog(frame, &escape), IDCANCEL);
    DestroyWindow(frame);
}

TEST(DialogInitTest, WithoutOwnerTheWorkAreaAboveTheBarAndWithoutDoneNothingChanges) {
    RECT expected;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &expected, 0);
    expected.bottom -= 26;
    DialogScript closeBox = {SHIDIF_SIZEDLGFULLSCREEN, WM_SYSCOMMAND, SC_CLOSE};
    EXPECT_EQ(RunDialog(nullptr, &closeBox), IDCANCEL);
    EXPECT_TRUE(EqualRect(&closeBox.rect, &expected));

    DialogScript enter = {0, WM_KEYDOWN, VK_RETURN};
    EXPECT_EQ(RunDialog(nullptr, &enter), kOtherDefaultId);
    EXPECT_FALSE(enter.style & WS_SYSMENU);
}

}  // namespace
